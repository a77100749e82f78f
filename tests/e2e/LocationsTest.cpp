// Where the Linux program puts its lock and looks for its sound.
#include "platform/x11/Locations.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using platform::x11::LockFilePath;
using platform::x11::SoundCandidates;

struct TLockCase {
  std::map<std::string, std::string> Env;
  std::string Expected;
};

class LockFile : public ::testing::TestWithParam<TLockCase> {};

TEST_P(LockFile, IsNamedAfterTheExecutableInTheRuntimeFolderElseTheTemporaryOne) {
  const auto& Env = GetParam().Env;
  const auto GetEnv = [&](const std::string& Name) -> std::optional<std::string> {
    auto It = Env.find(Name);
    if (It == Env.end()) return std::nullopt;
    return It->second;
  };
  EXPECT_EQ(LockFilePath("tazuclick", GetEnv, 1000), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LockFile,
    ::testing::Values(TLockCase{{{"XDG_RUNTIME_DIR", "/run/user/1000"}},
                                "/run/user/1000/tazuclick.lock"},
                      TLockCase{{{"XDG_RUNTIME_DIR", "/run/user/1000/"}, {"TMPDIR", "/var/tmp"}},
                                "/run/user/1000/tazuclick.lock"},
                      // A relative or empty runtime folder is not one (XDG); others share /tmp.
                      TLockCase{{{"XDG_RUNTIME_DIR", "run"}}, "/tmp/tazuclick.1000.lock"},
                      TLockCase{{{"XDG_RUNTIME_DIR", ""}, {"TMPDIR", "/var/tmp"}},
                                "/var/tmp/tazuclick.1000.lock"},
                      TLockCase{{{"TMPDIR", "tmp"}}, "/tmp/tazuclick.1000.lock"},
                      TLockCase{{}, "/tmp/tazuclick.1000.lock"}));

TEST(SoundFile, IsLookedForInTheCurrentFolderThenBesideTheExecutableThenInTheDataFolder) {
  EXPECT_EQ(SoundCandidates("Tazuclick.wav", "/home/u", "/opt/tazu/bin", "/usr/share/tazuclick"),
            (std::vector<std::string>{"/home/u/Tazuclick.wav", "/opt/tazu/bin/Tazuclick.wav",
                                      "/usr/share/tazuclick/Tazuclick.wav"}));
  EXPECT_EQ(SoundCandidates("Tazuclick.wav", "/", "", "/usr/share/tazuclick"),
            (std::vector<std::string>{"/Tazuclick.wav", "/usr/share/tazuclick/Tazuclick.wav"}));
  EXPECT_EQ(SoundCandidates("/tmp/a.wav", "/home/u", "/bin", "/usr/share"),
            (std::vector<std::string>{"/tmp/a.wav"}));
  EXPECT_TRUE(SoundCandidates("", "/home/u", "/bin", "/usr/share").empty());
}

} // namespace
