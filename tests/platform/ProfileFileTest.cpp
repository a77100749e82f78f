#include "platform/profile/ProfileFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

using namespace std::string_literals;
namespace fs = std::filesystem;
using platform::profile::GetPrivateProfileString;
using platform::profile::MaxValueBytes;
using platform::profile::ReadValue;
using platform::profile::WritePrivateProfileString;
using platform::profile::WriteValue;

// Shift-JIS: 起 is 8B 4E, its trail byte an 'N'; 8B 6E differs only in the
// ASCII case of that trail byte.
const std::string Ki = "\x8B\x4E";
const std::string KiFolded = "\x8B\x6E";
// ‐ is 81 5D, its trail byte a ']'; 表 is 95 5C, its trail byte a '\'.
const std::string Hyphen = "\x81\x5D";
const std::string Zoom = "\x8A\x67\x91\xE5\x95\x5C\x8E\xA6"; // 拡大表示

struct TReadCase {
  const char* Name;
  std::string Text;
  std::string Section;
  std::string Key;
  std::optional<std::string> Expected;
};

class ReadValueTest : public testing::TestWithParam<TReadCase> {};

TEST_P(ReadValueTest, FindsValue) {
  const TReadCase& C = GetParam();
  EXPECT_EQ(ReadValue(C.Text, C.Section, C.Key), C.Expected);
}

const TReadCase ReadCases[] = {
    {"CaseInsensitiveNames", "[Options]\r\nStartX=10\r\n", "OPTIONS", "startx", "10"},
    {"FirstSectionOnly", "[S]\r\na=1\r\n[s]\r\na=2\r\nb=3\r\n", "S", "b", std::nullopt},
    {"FirstSectionWins", "[S]\r\na=1\r\n[s]\r\na=2\r\n", "s", "A", "1"},
    {"FirstKeyWins", "[S]\r\na=1\r\nA=2\r\n", "S", "a", "1"},
    {"LaterSectionFound", "[A]\r\nx=1\r\n[B]\r\nx=2\r\n", "b", "x", "2"},
    {"EmptyValueIsPresent", "[S]\r\na=\r\nb=2\r\n", "S", "a", ""},
    {"BlankValueIsEmpty", "[S]\r\na = \t\r\n", "S", "a", ""},
    {"MissingKey", "[S]\r\na=1\r\n", "S", "b", std::nullopt},
    {"MissingSection", "[S]\r\na=1\r\n", "T", "a", std::nullopt},
    {"EmptyText", "", "S", "a", std::nullopt},
    {"KeyBeforeAnySection", "a=1\r\n[S]\r\n", "S", "a", std::nullopt},
    {"DoubleQuotesStripped", "[S]\r\na=\" x \"\r\n", "S", "a", " x "},
    {"SingleQuotesStripped", "[S]\r\na='y'\r\n", "S", "a", "y"},
    {"OnlyQuotes", "[S]\r\na=\"\"\r\n", "S", "a", ""},
    {"MismatchedQuotesKept", "[S]\r\na=\"y'\r\n", "S", "a", "\"y'"},
    {"LoneQuoteKept", "[S]\r\na=\"\r\n", "S", "a", "\""},
    {"InnerQuotesKept", "[S]\r\na=x \"y\"\r\n", "S", "a", "x \"y\""},
    {"CommentIsNoKey", "[S]\r\n;a=1\r\n", "S", "a", std::nullopt},
    {"KeyAfterComment", "[S]\r\n; a=1\r\na=2\r\n", "S", "a", "2"},
    {"CommentedSectionIsNoSection", ";[T]\r\n[S]\r\na=1\r\n", "T", "a", std::nullopt},
    {"LfOnly", "[S]\na=1\nb=2\n", "S", "b", "2"},
    {"MixedEndings", "[S]\na=1\r\nb=2\n", "S", "a", "1"},
    {"NoFinalBreak", "[S]\r\na=1\r\nb=2", "S", "b", "2"},
    {"SpacesAndTabsTrimmed", "  [ My Sec ]\t \r\n\t key one \t=\t v a l \t\r\n", "my sec",
     "KEY ONE", "v a l"},
    {"CallerNamesTrimmed", "[S]\r\na=1\r\n", " S\t", "\ta ", "1"},
    {"ValueAfterFirstEquals", "[S]\r\na=b=c\r\n", "S", "a", "b=c"},
    {"TextAfterBracketIgnored", "[S] ; note\r\na=1\r\n", "S", "a", "1"},
    {"UnclosedBracketIsNoSection", "[S]\r\n[T\r\na=1\r\n", "S", "a", "1"},
    {"UnclosedBracketNotFound", "[S]\r\n[T\r\na=1\r\n", "T", "a", std::nullopt},
    {"NulBytesKept", "[S]\r\n\0=\0\r\na=x\0y\r\n"s, "S", "a", "x\0y"s},
    {"ShiftJisSectionMatches", "[" + Ki + "X]\r\na=1\r\n", Ki + "x", "a", "1"},
    {"TrailByteNotFoldedInSection", "[" + KiFolded + "]\r\na=1\r\n", Ki, "a", std::nullopt},
    {"TrailByteNotFoldedInKey", "[S]\r\n" + KiFolded + "=1\r\n", "S", Ki, std::nullopt},
    {"TrailByteKeySkipsFoldedTwin", "[S]\r\n" + KiFolded + "=1\r\n" + Ki + "=2\r\n", "S", Ki, "2"},
    {"BracketTrailByteInsideName", "[" + Hyphen + "]\r\na=1\r\n", Hyphen, "a", "1"},
    {"LeadByteSwallowsClosingBracket", "[\x81]\r\na=1\r\n", "\x81", "a", std::nullopt},
    {"BackslashTrailByte", "[S]\r\n" + Zoom + "=1\r\n", "S", Zoom, "1"},
    {"ShiftJisValue", "[S]\r\na=" + Zoom + "\r\n", "S", "a", Zoom},
};

INSTANTIATE_TEST_SUITE_P(Cases, ReadValueTest, testing::ValuesIn(ReadCases),
                         [](const auto& Info) { return std::string(Info.param.Name); });

std::string Repeat(const std::string& S, std::size_t N) {
  std::string R;
  for (std::size_t I = 0; I < N; ++I)
    R += S;
  return R;
}

TEST(ReadValueTest, ValueIsCappedWithoutSplittingCharacters) {
  struct TCase {
    std::string Value;
    std::string Expected;
  };
  const std::string X(MaxValueBytes, 'x');
  const TCase Cases[] = {
      {std::string(MaxValueBytes - 1, 'x'), std::string(MaxValueBytes - 1, 'x')},
      {X, X},
      {X + "y", X},
      {std::string(5000, 'z'), std::string(MaxValueBytes, 'z')},
      // 1023 double-byte characters after "a" fill the cap exactly.
      {"a" + Repeat(Ki, 1023), "a" + Repeat(Ki, 1023)},
      // The 1024th character would need bytes 2047 and 2048.
      {Repeat(Ki, 1024), Repeat(Ki, 1023)},
      // Quotes go first, then the cap applies to what is left.
      {"\"" + X + "\"", X},
      {"'" + X + "yy'", X},
  };
  for (const TCase& C : Cases) {
    const auto Got = ReadValue("[S]\r\nk=" + C.Value + "\r\n", "S", "k");
    ASSERT_TRUE(Got.has_value());
    EXPECT_EQ(Got->size(), C.Expected.size());
    EXPECT_EQ(*Got, C.Expected);
  }
}

struct TWriteCase {
  const char* Name;
  std::string Before;
  std::string Section;
  std::string Key;
  std::string Value;
  std::string After;
};

class WriteValueTest : public testing::TestWithParam<TWriteCase> {};

TEST_P(WriteValueTest, ProducesText) {
  const TWriteCase& C = GetParam();
  const std::string After = WriteValue(C.Before, C.Section, C.Key, C.Value);
  EXPECT_EQ(After, C.After);
  EXPECT_EQ(ReadValue(After, C.Section, C.Key), C.Value);
}

const TWriteCase WriteCases[] = {
    {"ReplaceKeepsOtherBytes", "; head\r\n[Opt]\r\nA=1\r\nB = 2 \r\n\r\n[Other]\r\nB=9\r\n", "opt",
     "b", "5", "; head\r\n[Opt]\r\nA=1\r\nb=5\r\n\r\n[Other]\r\nB=9\r\n"},
    {"ReplaceKeepsLfEnding", "[S]\nk=1\nj=2\n", "S", "k", "3", "[S]\nk=3\nj=2\n"},
    {"ReplaceIndentedLine", "[S]\r\n\t key \t= old value\r\n", "S", "Key", "new",
     "[S]\r\nKey=new\r\n"},
    {"ReplaceLastLineWithoutBreak", "[S]\r\nk=1", "S", "k", "22", "[S]\r\nk=22"},
    {"ReplaceFirstOfTwins", "[S]\r\nk=1\r\nK=2\r\n", "S", "k", "3", "[S]\r\nk=3\r\nK=2\r\n"},
    {"ReplaceWithEmpty", "[S]\r\nk=1\r\n", "S", "k", "", "[S]\r\nk=\r\n"},
    {"ReplaceKeepsNulBytes", "[S]\r\n\0x=\xFF\r\nk=1\r\n\0"s, "S", "k", "2",
     "[S]\r\n\0x=\xFF\r\nk=2\r\n\0"s},
    {"NewKeyInFirstOfTwinSections", "[S]\r\na=1\r\n[T]\r\n[S]\r\nk=2\r\n", "s", "k", "9",
     "[S]\r\na=1\r\nk=9\r\n[T]\r\n[S]\r\nk=2\r\n"},
    {"NewKeyBeforeTrailingBlankLines", "[A]\r\nx=1\r\n\r\n \t\r\n[B]\r\ny=2\r\n", "A", "z", "3",
     "[A]\r\nx=1\r\nz=3\r\n\r\n \t\r\n[B]\r\ny=2\r\n"},
    {"NewKeyAfterComment", "[A]\r\nx=1\r\n; note\r\n\r\n[B]\r\n", "A", "z", "3",
     "[A]\r\nx=1\r\n; note\r\nz=3\r\n\r\n[B]\r\n"},
    {"NewKeyAfterUnknownLine", "[A]\r\nx=1\r\njunk\r\n\r\n", "A", "z", "3",
     "[A]\r\nx=1\r\njunk\r\nz=3\r\n\r\n"},
    {"NewKeyInEmptySection", "[A]\r\n\r\n[B]\r\n", "A", "z", "3", "[A]\r\nz=3\r\n\r\n[B]\r\n"},
    {"NewKeyUnderHeaderWithoutBreak", "[A]", "A", "z", "3", "[A]\r\nz=3\r\n"},
    {"NewKeyLastSectionWithoutBreak", "[A]\r\nx=1", "A", "z", "3", "[A]\r\nx=1\r\nz=3\r\n"},
    {"NewKeyInLfFileUsesCrLf", "[A]\nx=1\n\n[B]\n", "A", "z", "3", "[A]\nx=1\nz=3\r\n\n[B]\n"},
    {"NewKeyIgnoresKeyOutsideSection", "k=0\r\n[S]\r\n", "S", "k", "v", "k=0\r\n[S]\r\nk=v\r\n"},
    {"NewSectionInEmptyText", "", "S", "k", "v", "[S]\r\nk=v\r\n"},
    {"NewSectionAfterBreak", "[A]\r\nx=1\r\n", "S", "k", "v", "[A]\r\nx=1\r\n[S]\r\nk=v\r\n"},
    {"NewSectionAfterBlankLines", "[A]\r\n\r\n\r\n", "S", "k", "v",
     "[A]\r\n\r\n\r\n[S]\r\nk=v\r\n"},
    {"NewSectionWithoutFinalBreak", "[A]\r\nx=1", "S", "k", "v", "[A]\r\nx=1\r\n[S]\r\nk=v\r\n"},
    {"NewSectionInLfFile", "[A]\nx=1\n", "S", "k", "v", "[A]\nx=1\n[S]\r\nk=v\r\n"},
    {"NewSectionAfterUnclosedBracket", "[S\r\n", "S", "k", "v", "[S\r\n[S]\r\nk=v\r\n"},
    {"TrailByteSectionNotFolded", "[" + KiFolded + "]\r\nk=1\r\n", Ki, "k", "v",
     "[" + KiFolded + "]\r\nk=1\r\n[" + Ki + "]\r\nk=v\r\n"},
    {"TrailByteKeyNotFolded", "[S]\r\n" + KiFolded + "=1\r\n", "S", Ki, "v",
     "[S]\r\n" + KiFolded + "=1\r\n" + Ki + "=v\r\n"},
    {"BracketTrailByteSection", "[" + Hyphen + "]\r\nk=1\r\n", Hyphen, "k", "2",
     "[" + Hyphen + "]\r\nk=2\r\n"},
    {"ShiftJisNamesAndValue", "", Zoom, Ki, Zoom, "[" + Zoom + "]\r\n" + Ki + "=" + Zoom + "\r\n"},
};

INSTANTIATE_TEST_SUITE_P(Cases, WriteValueTest, testing::ValuesIn(WriteCases),
                         [](const auto& Info) { return std::string(Info.param.Name); });

// A real file in a folder of its own, removed afterwards.
class ProfileFileTest : public testing::Test {
protected:
  void SetUp() override {
    std::string Pattern = (fs::temp_directory_path() / "profiletest.XXXXXX").string();
    ASSERT_NE(::mkdtemp(Pattern.data()), nullptr);
    Dir = Pattern;
    File = (Dir / "TazuClick.ini").string();
  }
  void TearDown() override {
    std::error_code Error;
    fs::permissions(Dir, fs::perms::owner_all, fs::perm_options::add, Error);
    fs::remove_all(Dir, Error);
  }

  static void Put(const std::string& Path, const std::string& Text) {
    std::ofstream Out(Path, std::ios::binary);
    Out << Text;
    ASSERT_TRUE(Out.good());
  }
  static std::string Get(const std::string& Path) {
    std::ifstream In(Path, std::ios::binary);
    return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
  }
  static unsigned Mode(const std::string& Path) {
    struct stat St {};
    EXPECT_EQ(::stat(Path.c_str(), &St), 0);
    return St.st_mode & 07777;
  }
  // Names in the folder, to see that no temporary file is left behind.
  std::set<std::string> Listing() const {
    std::set<std::string> Names;
    for (const auto& Entry : fs::directory_iterator(Dir))
      Names.insert(Entry.path().filename().string());
    return Names;
  }

  fs::path Dir;
  std::string File;
};

TEST_F(ProfileFileTest, GetReturnsValueOrDefault) {
  Put(File, "[S]\r\nk=v\r\ne=\r\n");
  struct TCase {
    std::string Section, Key, Default, FileName, Expected;
  };
  const std::string Missing = (Dir / "none.ini").string();
  const TCase Cases[] = {
      {"S", "k", "d", File, "v"},
      {"s", "K", "d", File, "v"},
      {"S", "e", "d", File, ""},
      {"S", "x", "d", File, "d"},
      {"T", "k", "d", File, "d"},
      {"S", "k", "d", Missing, "d"},
      {"S", "k", "d", Dir.string(), "d"},
      // The system's function drops trailing spaces of the default.
      {"S", "x", " d  ", File, " d"},
      {"S", "x", std::string(3000, 'q'), Missing, std::string(MaxValueBytes, 'q')},
  };
  for (const TCase& C : Cases)
    EXPECT_EQ(GetPrivateProfileString(C.Section, C.Key, C.Default, C.FileName), C.Expected)
        << C.Section << "/" << C.Key << " in " << C.FileName;
}

TEST_F(ProfileFileTest, WriteCreatesFile) {
  ASSERT_TRUE(WritePrivateProfileString("Options", "Delay", "500", File));
  EXPECT_EQ(Get(File), "[Options]\r\nDelay=500\r\n");
  EXPECT_EQ(Listing(), std::set<std::string>{"TazuClick.ini"});
}

TEST_F(ProfileFileTest, HandEditedFileKeepsEverythingAcrossWrites) {
  Put(File, "; settings, edited by hand\r\n"
            "\r\n"
            "[Options]\r\n"
            "  Delay = 500\r\n"
            "; position\r\n"
            "Left=10\n"
            "\r\n"
            "[Sound]\r\n"
            "Enabled=1\r\n"
            "\r\n"
            "\r\n"
            "[Misc]\r\n"
            "Note=keep me\r\n"
            "line without equals");
  struct TWrite {
    std::string Section, Key, Value;
  };
  const TWrite Writes[] = {
      {"Options", "Delay", "700"}, {"Options", "Top", "20"},  {"sound", "Volume", "3"},
      {"New", "Key", "x"},         {"OPTIONS", "left", "11"}, {"new", "key", "y"},
      {"Sound", "Enabled", "0"},
  };
  for (const TWrite& W : Writes)
    ASSERT_TRUE(WritePrivateProfileString(W.Section, W.Key, W.Value, File));

  EXPECT_EQ(Get(File), "; settings, edited by hand\r\n"
                       "\r\n"
                       "[Options]\r\n"
                       "Delay=700\r\n"
                       "; position\r\n"
                       "left=11\n"
                       "Top=20\r\n"
                       "\r\n"
                       "[Sound]\r\n"
                       "Enabled=0\r\n"
                       "Volume=3\r\n"
                       "\r\n"
                       "\r\n"
                       "[Misc]\r\n"
                       "Note=keep me\r\n"
                       "line without equals\r\n"
                       "[New]\r\n"
                       "key=y\r\n");
  EXPECT_EQ(GetPrivateProfileString("Options", "Top", "", File), "20");
  EXPECT_EQ(GetPrivateProfileString("Misc", "Note", "", File), "keep me");
  EXPECT_EQ(Listing(), std::set<std::string>{"TazuClick.ini"});
}

TEST_F(ProfileFileTest, ReplaceKeepsPermissionBits) {
  Put(File, "[S]\r\nk=1\r\n");
  const mode_t OldMask = ::umask(022);
  for (unsigned Wanted : {0600u, 0640u, 0666u}) {
    ASSERT_EQ(::chmod(File.c_str(), Wanted), 0);
    ASSERT_TRUE(WritePrivateProfileString("S", "k", std::to_string(Wanted), File));
    EXPECT_EQ(Mode(File), Wanted);
    EXPECT_EQ(GetPrivateProfileString("S", "k", "", File), std::to_string(Wanted));
  }
  ::umask(OldMask);
  EXPECT_EQ(Listing(), std::set<std::string>{"TazuClick.ini"});
}

TEST_F(ProfileFileTest, ReadOnlyFileIsRefused) {
  const std::string Before = "[S]\r\nk=1\r\n";
  Put(File, Before);
  ASSERT_EQ(::chmod(File.c_str(), 0444), 0);
  EXPECT_FALSE(WritePrivateProfileString("S", "k", "2", File));
  EXPECT_FALSE(WritePrivateProfileString("T", "k", "2", File));
  EXPECT_EQ(Get(File), Before);
  EXPECT_EQ(Mode(File), 0444u);
  EXPECT_EQ(Listing(), std::set<std::string>{"TazuClick.ini"});
}

TEST_F(ProfileFileTest, MissingFolderIsRefused) {
  const fs::path Sub = Dir / "absent";
  EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", (Sub / "TazuClick.ini").string()));
  EXPECT_FALSE(fs::exists(Sub));
  EXPECT_TRUE(Listing().empty());
}

TEST_F(ProfileFileTest, DirectoryAsFileIsRefused) {
  fs::create_directory(File);
  EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", File));
  EXPECT_TRUE(fs::is_directory(File));
  EXPECT_TRUE(fs::is_empty(File));
  EXPECT_EQ(Listing(), std::set<std::string>{"TazuClick.ini"});
}

TEST_F(ProfileFileTest, LinkedFileStaysLinked) {
  const std::string Real = (Dir / "real.ini").string();
  Put(Real, "[S]\r\nk=1\r\n");
  fs::create_symlink("real.ini", File);
  ASSERT_TRUE(WritePrivateProfileString("S", "k", "2", File));
  EXPECT_TRUE(fs::is_symlink(File));
  EXPECT_EQ(Get(Real), "[S]\r\nk=2\r\n");
  EXPECT_EQ(Listing(), (std::set<std::string>{"TazuClick.ini", "real.ini"}));
}

} // namespace
