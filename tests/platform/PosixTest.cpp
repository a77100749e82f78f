#include "platform/posix/AnsiCodec.h"
#include "platform/posix/Paths.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

using namespace std::string_literals;
using platform::posix::AnsiToUtf8;
using platform::posix::ExpandEnvironmentStrings;
using platform::posix::Utf8ToAnsi;

struct TCodecCase {
  const char* Utf8;
  std::string Ansi;
};

class CodecTest : public testing::TestWithParam<TCodecCase> {};

TEST_P(CodecTest, ConvertsBothWays) {
  const TCodecCase& C = GetParam();
  EXPECT_EQ(Utf8ToAnsi(C.Utf8), C.Ansi);
  EXPECT_EQ(AnsiToUtf8(C.Ansi), C.Utf8);
  EXPECT_EQ(AnsiToUtf8(Utf8ToAnsi(C.Utf8)), C.Utf8);
}

const TCodecCase CodecCases[] = {
    {"「たずクリック。」Ver2.20", "\x81\x75\x82\xBD\x82\xB8\x83\x4E\x83\x8A\x83\x62\x83\x4E\x81\x42"
                                  "\x81\x76Ver2.20"},
    {"クリック開始までの時間",
     "\x83\x4E\x83\x8A\x83\x62\x83\x4E\x8A\x4A\x8E\x6E\x82\xDC\x82\xC5\x82\xCC\x8E\x9E\x8A\xD4"},
    {"起動時の縦座標", "\x8B\x4E\x93\xAE\x8E\x9E\x82\xCC\x8F\x63\x8D\xC0\x95\x57"},
    {"起動時の横座標", "\x8B\x4E\x93\xAE\x8E\x9E\x82\xCC\x89\xA1\x8D\xC0\x95\x57"},
    {"追いかけモード", "\x92\xC7\x82\xA2\x82\xA9\x82\xAF\x83\x82\x81\x5B\x83\x68"},
    {"動作時の音", "\x93\xAE\x8D\xEC\x8E\x9E\x82\xCC\x89\xB9"},
    {"拡大表示", "\x8A\x67\x91\xE5\x95\x5C\x8E\xA6"},
    {"起動時の状態", "\x8B\x4E\x93\xAE\x8E\x9E\x82\xCC\x8F\xF3\x91\xD4"},
    {"バージョン", "\x83\x6F\x81\x5B\x83\x57\x83\x87\x83\x93"},
    {"/tmp/x に書き込めません",
     "/tmp/x \x82\xC9\x8F\x91\x82\xAB\x8D\x9E\x82\xDF\x82\xDC\x82\xB9\x82\xF1"},
    {"C:\\Users\\a b\\~tazu.ini", "C:\\Users\\a b\\~tazu.ini"},
    {"/home/u/.config/TazuClick/TazuClick.ini", "/home/u/.config/TazuClick/TazuClick.ini"},
    {"", ""},
    {"ｶﾅ", "\xB6\xC5"},
    {"①～", "\x87\x40\x81\x60"},
};

INSTANTIATE_TEST_SUITE_P(Strings, CodecTest, testing::ValuesIn(CodecCases));

TEST(CodecTest, UnmappableBecomesQuestionMark) {
  const std::pair<std::string, std::string> Cases[] = {
      {"a😀b", "a?b"},
      {"한글", "??"},
      {"x\xFFy", "x?y"},   // not UTF-8 at all
      {"x\xE3\x81", "x?"}, // cut off at the end
      {"\xE3\x81z", "?z"}, // cut off before an ASCII byte
      {"起😀起", "\x8B\x4E?\x8B\x4E"},
  };
  for (const auto& [In, Out] : Cases)
    EXPECT_EQ(Utf8ToAnsi(In), Out) << In;
}

TEST(CodecTest, UndecodableBecomesReplacementCharacter) {
  const std::pair<std::string, std::string> Cases[] = {
      {"a\x80z", "a\uFFFDz"},
      {"a\x81", "a\uFFFD"},             // lead byte at the end
      {"\x81\n\x8B\x4E", "\uFFFD\n起"}, // lead byte before a line break
      {"\x85\x40z", "\uFFFDz"},         // unassigned double-byte code
  };
  for (const auto& [In, Out] : Cases)
    EXPECT_EQ(AnsiToUtf8(In), Out);
}

struct TPathCase {
  const char* Name;
  std::string Source;
  std::map<std::string, std::string> Env;
  std::string Expected;
  std::size_t BufferSize = 260;
};

class ExpandTest : public testing::TestWithParam<TPathCase> {};

TEST_P(ExpandTest, Expands) {
  const TPathCase& C = GetParam();
  const auto GetEnv = [&](const std::string& Name) -> std::optional<std::string> {
    const auto It = C.Env.find(Name);
    if (It == C.Env.end()) return std::nullopt;
    return It->second;
  };
  EXPECT_EQ(ExpandEnvironmentStrings(C.Source, C.BufferSize, GetEnv), C.Expected);
}

const std::string Ini = "%APPDATA%\\TazuClick\\TazuClick.ini";
const std::string Long(257, 'L');

const TPathCase PathCases[] = {
    {"AppData", Ini, {{"APPDATA", "/a/b"}, {"HOME", "/h"}}, "/a/b/TazuClick/TazuClick.ini"},
    {"AppDataMixedCase", "%AppData%\\x", {{"APPDATA", "/a"}}, "/a/x"},
    {"AppDataLowerCase", "%appdata%\\x", {{"APPDATA", "/a"}}, "/a/x"},
    {"WindowsFormValue",
     Ini,
     {{"APPDATA", "C:\\Users\\u\\AppData"}},
     "C:/Users/u/AppData/TazuClick/TazuClick.ini"},
    {"XdgFallback", Ini, {{"XDG_CONFIG_HOME", "/x"}, {"HOME", "/h"}}, "/x/TazuClick/TazuClick.ini"},
    {"EmptyAppDataIsUnset",
     Ini,
     {{"APPDATA", ""}, {"XDG_CONFIG_HOME", "/x"}},
     "/x/TazuClick/TazuClick.ini"},
    {"RelativeXdgIgnored",
     Ini,
     {{"XDG_CONFIG_HOME", "cfg"}, {"HOME", "/h"}},
     "/h/.config/TazuClick/TazuClick.ini"},
    {"HomeFallback", Ini, {{"HOME", "/home/u"}}, "/home/u/.config/TazuClick/TazuClick.ini"},
    {"HomeWithSlash", "%AppData%\\x", {{"HOME", "/home/u/"}}, "/home/u/.config/x"},
    {"EmptyHomeIsUnset", "%AppData%\\x", {{"HOME", ""}}, "%AppData%/x"},
    {"NothingSet", "%AppData%\\TazuClick\\x.ini", {}, "%AppData%/TazuClick/x.ini"},
    {"OtherVariable", "%Foo%\\a", {{"Foo", "/f"}}, "/f/a"},
    {"OtherVariableUpperCase", "%foo%\\a", {{"FOO", "/F"}}, "/F/a"},
    {"OtherVariableAsWrittenFirst", "%foo%\\a", {{"foo", "/l"}, {"FOO", "/U"}}, "/l/a"},
    {"UnknownVariableKept", "%NOPE%\\a", {{"HOME", "/h"}}, "%NOPE%/a"},
    {"UnknownThenKnown", "%NOPE%%APPDATA%", {{"APPDATA", "/a"}}, "%NOPE%/a"},
    {"TwoReferences", "%HOME%\\%APPDATA%", {{"HOME", "/h"}, {"APPDATA", "/a"}}, "/h//a"},
    {"LonePercent", "50%\\a", {{"APPDATA", "/a"}}, "50%/a"},
    {"EmptyName", "%%\\a", {{"", "/e"}}, "%%/a"},
    {"Unclosed", "a\\%APPDATA", {{"APPDATA", "/a"}}, "a/%APPDATA"},
    {"NoReferences", "C:\\dir\\file.ini", {}, "C:/dir/file.ini"},
    {"FitsExactly", "%APPDATA%\\f", {{"APPDATA", Long}}, Long + "/f"},
    {"OneTooLong", "%APPDATA%\\f", {{"APPDATA", Long + "L"}}, "%APPDATA%/f"},
    {"OverflowExpandsNothing",
     "%HOME%\\%APPDATA%\\f",
     {{"HOME", "/h"}, {"APPDATA", Long}},
     "%HOME%/%APPDATA%/f"},
    {"SmallBuffer", "%APPDATA%", {{"APPDATA", "/abc"}}, "%APPDATA%", 4},
    {"SmallBufferFits", "%APPDATA%", {{"APPDATA", "/abc"}}, "/abc", 5},
};

INSTANTIATE_TEST_SUITE_P(Cases, ExpandTest, testing::ValuesIn(PathCases),
                         [](const auto& Info) { return std::string(Info.param.Name); });

} // namespace
