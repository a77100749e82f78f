// The settings file as the program reads and writes it, on real files in a
// temporary folder standing for the roaming application-data folder.
#include "Scenario.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

// Section names and the title as their Shift-JIS bytes.
const std::string Start = "[\x8BN\x93\xAE\x8E\x9E\x82\xCC\x8F\xF3\x91\xD4]";
const std::string Timer =
    "[\x83N\x83\x8A\x83\x62\x83N\x8AJ\x8En\x82\xDC\x82\xC5\x82\xCC\x8E\x9E\x8A\xD4]";
const std::string YPos = "[\x8BN\x93\xAE\x8E\x9E\x82\xCC\x8F\x63\x8D\xC0\x95W]";
const std::string XPos = "[\x8BN\x93\xAE\x8E\x9E\x82\xCC\x89\xA1\x8D\xC0\x95W]";
const std::string Chase = "[\x92\xC7\x82\xA2\x82\xA9\x82\xAF\x83\x82\x81[\x83h]";
const std::string Sound = "[\x93\xAE\x8D\xEC\x8E\x9E\x82\xCC\x89\xB9]";
const std::string Large = "[\x8Ag\x91\xE5\x95\x5C\x8E\xA6]";
const std::string Version = "[\x83o\x81[\x83W\x83\x87\x83\x93]";
const std::string Title = "\x81u\x82\xBD\x82\xB8\x83N\x83\x8A\x83\x62\x83N\x81\x42\x81vVer2.20";

std::string Crlf(std::initializer_list<std::string> Lines) {
  std::string Text;
  for (const auto& L : Lines)
    Text += L + "\r\n";
  return Text;
}

const std::string FirstRunFile =
    Crlf({Start, "ON=1", Timer, "Timer=30", YPos, "YPOS=512", XPos, "XPOS=640", Chase, "ON=0",
          Sound, "ON=1", Large, "ON=1", Version, "Ver=" + Title});

class SettingsTest : public ::testing::Test {
protected:
  SettingsTest() {
    std::string Template = (fs::temp_directory_path() / "tazuclick-settings-XXXXXX").string();
    AppData = ::mkdtemp(Template.data());
    File = fs::path(AppData) / "Tazu" / "TazuClick.ini";
  }
  ~SettingsTest() override {
    std::error_code E;
    fs::permissions(File, fs::perms::owner_all, E);
    fs::remove_all(AppData, E);
  }

  void WriteFile(const std::string& Bytes) {
    fs::create_directories(File.parent_path());
    std::ofstream(File, std::ios::binary) << Bytes;
  }
  std::string ReadFile() const {
    std::ifstream In(File, std::ios::binary);
    std::stringstream S;
    S << In.rdbuf();
    return S.str();
  }
  // Runs the program with this folder as APPDATA; Setup goes before start.
  std::string Run(const std::string& Body, const std::string& Setup = "") {
    std::istringstream In("env APPDATA " + AppData + "\n" + Setup + "start\n" + Body);
    std::ostringstream Out, Err;
    EXPECT_EQ(RunScenario(In, Out, Err), 0) << Err.str();
    return Out.str();
  }
  static bool Has(const std::string& Trace, const std::string& Text) {
    return Trace.find(Text) != std::string::npos;
  }

  std::string AppData;
  fs::path File;
};

TEST_F(SettingsTest, FirstRunCreatesTheFolderAndTheExampleFileByteForByte) {
  const std::string Trace = Run("dump\n");
  EXPECT_TRUE(Has(Trace, "0 menu Time3 Checked=1"));
  EXPECT_TRUE(Has(Trace, "0 form Left=640 Top=512 Width=226 Height=46"));
  EXPECT_EQ(ReadFile(), FirstRunFile);
}

struct TLoadCase {
  const char* Name;
  std::string File;
  std::vector<std::string> Expect; // text that the trace of a dump at start holds
  std::vector<std::string> Saved;  // lines the next save leaves in the file
};

class LoadTest : public SettingsTest, public ::testing::WithParamInterface<TLoadCase> {};

TEST_P(LoadTest, AppliesWhatItReadsAndSavesItBack) {
  WriteFile(GetParam().File);
  const std::string Trace = Run("dump\nend\n");
  for (const auto& Line : GetParam().Expect)
    EXPECT_TRUE(Has(Trace, Line)) << "missing: " << Line << "\n" << Trace;
  const std::string Saved = ReadFile();
  for (const auto& Line : GetParam().Saved)
    EXPECT_TRUE(Has(Saved, Line + "\r\n")) << "missing in file: " << Line;
}

INSTANTIATE_TEST_SUITE_P(
    Table, LoadTest,
    ::testing::Values(
        TLoadCase{"Timer15",
                  Crlf({Timer, "Timer=15"}),
                  {"state ClickMode=ckSingle DragHeld=0 ClickDelay=15",
                   "timer IntervalTimer Enabled=0 Interval=1500", "menu Time3 Checked=0"},
                  {"Timer=15"}},
        TLoadCase{"TimerStopsAtThePoint",
                  Crlf({Timer, "Timer=2.5"}),
                  {"ClickDelay=2 ", "timer IntervalTimer Enabled=0 Interval=200"},
                  {"Timer=2"}},
        TLoadCase{
            "EmptyTimerIsZero",
            Crlf({Timer, "Timer="}),
            {"ClickDelay=0 ", "timer IntervalTimer Enabled=0 Interval=0", "menu Time3 Checked=0"},
            {"Timer=0"}},
        TLoadCase{"LettersAreZero", Crlf({Timer, "Timer=abc"}), {"ClickDelay=0 "}, {"Timer=0"}},
        TLoadCase{"NegativeNeverTicks",
                  Crlf({Timer, "Timer=-5"}),
                  {"ClickDelay=-5 ", "timer IntervalTimer Enabled=0 Interval=0"},
                  {"Timer=-5"}},
        TLoadCase{"OverflowingNeverTicks",
                  Crlf({Timer, "Timer=30000000"}),
                  {"ClickDelay=30000000 ", "timer IntervalTimer Enabled=0 Interval=0"},
                  {"Timer=30000000"}},
        TLoadCase{"MenuValueChecksItsItem",
                  Crlf({Timer, "timer=50"}),
                  {"ClickDelay=50 ", "menu Time5 Checked=1", "menu Time3 Checked=0"},
                  {"imer=50"}},
        TLoadCase{"SoundTwoIsOn", Crlf({Sound, "ON=2"}), {"menu Sound Checked=1"}, {"ON=1"}},
        TLoadCase{"LargeYesIsOff",
                  Crlf({Large, "ON=yes"}),
                  {"menu Hyouji Checked=0", "ClientHeight=20"},
                  {Large + "\r\nON=0"}},
        TLoadCase{"ChaseMinusOneIsOn",
                  Crlf({Chase, "ON=-1"}),
                  {"menu Oikake Checked=1"},
                  {Chase + "\r\nON=1"}},
        TLoadCase{"StartOff",
                  Crlf({Start, "ON=0"}),
                  {"button OnButton Left=183 Width=41 Height=40 Color=clRed "
                   "FontColor=clWindowText Caption=\"OFF\"",
                   "timer IdouHanteiTimer Enabled=0", "menu ON Checked=0", "menu OFF Checked=1",
                   "ClickArmed=0"},
                  {Start + "\r\nON=0"}},
        TLoadCase{"YPosLettersIsHalfTheDesktop",
                  Crlf({YPos, "YPOS=abc"}),
                  {"form Left=640 Top=512 "},
                  {"YPOS=512"}},
        TLoadCase{"YPosHex",
                  Crlf({YPos, "YPOS=0x10", XPos, "XPOS=$20"}),
                  {"form Left=32 Top=16 "},
                  {"YPOS=16", "XPOS=32"}},
        TLoadCase{"YPosLeadingSpace",
                  Crlf({YPos, "YPOS= 100"}),
                  {"form Left=640 Top=100 "},
                  {"YPOS=100"}},
        TLoadCase{"YPosTrailingLetters",
                  Crlf({YPos, "YPOS=100abc"}),
                  {"form Left=640 Top=512 "},
                  {"YPOS=512"}},
        TLoadCase{"VersionIsNeverRead",
                  Crlf({Version, "Ver=whatever"}),
                  {"ClickDelay=30 "},
                  {"Ver=" + Title}}),
    [](const auto& Info) { return std::string(Info.param.Name); });

TEST_F(SettingsTest, HandEditedFileKeepsEverythingItHeld) {
  const std::string Edited = Crlf({"; my notes", "", "[Other]", "key=value", "", Timer, "TIMER=45",
                                   "extra=kept", "", "[\x8BN\x93\xAE]", "ON=7", ""});
  WriteFile(Edited);
  Run("menu Sound\nmenu Sound\nend\n");
  const std::string After = ReadFile();
  // The value replaced in place, the rest untouched, new sections at the end.
  const std::string Head = Crlf({"; my notes", "", "[Other]", "key=value", "", Timer});
  EXPECT_EQ(After.substr(0, Head.size()), Head);
  EXPECT_TRUE(Has(After, "=45\r\nextra=kept\r\n\r\n[\x8BN\x93\xAE]\r\nON=7\r\n"));
  EXPECT_TRUE(Has(After, Version + "\r\nVer=" + Title + "\r\n"));
  EXPECT_EQ(After.find(Start), After.rfind(Start)) << "one start-state section";
}

TEST_F(SettingsTest, UnwritableFolderReportsOnceAtStartAndCloseKeepsTheWindowOpen) {
  AppData += "/missing/parent";
  const std::string Path = AppData + "/Tazu/TazuClick.ini";
  const std::string Box = "msgbox \"「たずクリック。」Ver2.20\" \"" + Path + " に書き込めません\"";
  // Start-up applies what it read (defaults here) before the report.
  const std::string Trace =
      Run("dump\nmove 645 520\nmove 646 520\nwait 3000\nclose\ndump\nmenu Time1\nend\n");
  EXPECT_TRUE(Has(Trace, "0 save failed\n0 " + Box + "\n")) << Trace;
  EXPECT_TRUE(Has(Trace, "0 menu Time3 Checked=1"));
  // Saves from hit tests fail quietly after the first report...
  std::size_t Boxes = 0;
  for (std::size_t At = Trace.find(Box); At != std::string::npos; At = Trace.find(Box, At + 1))
    ++Boxes;
  // ...while the close, the menu command and the final destroy each report.
  EXPECT_EQ(Boxes, 4u) << Trace;
  EXPECT_TRUE(Has(Trace, "3000 save failed\n3000 " + Box + "\n")) << Trace;
  EXPECT_TRUE(Has(Trace, "3000 form Left=640 Top=512 Width=226 Height=46 ClientWidth=220 "
                         "ClientHeight=40 Color=clGreen Visible=1"));
  EXPECT_TRUE(Has(Trace, "3000 exit 0\n3000 save failed\n3000 " + Box + "\n"));
}

TEST_F(SettingsTest, UnwritablePathIsReportedAsTheFileSystemNamesIt) {
  AppData += "/たろう/missing";
  const std::string Trace = Run("end\n");
  EXPECT_TRUE(Has(Trace, "\"" + AppData + "/Tazu/TazuClick.ini に書き込めません\"")) << Trace;
}

TEST_F(SettingsTest, ReadOnlyFileIsAppliedAndReported) {
  WriteFile(Crlf({Timer, "Timer=10"}));
  fs::permissions(File, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const std::string Trace = Run("dump\n");
  EXPECT_TRUE(Has(Trace, "0 menu Time1 Checked=1"));
  EXPECT_TRUE(Has(Trace, "に書き込めません"));
  EXPECT_EQ(ReadFile(), Crlf({Timer, "Timer=10"}));
}

TEST_F(SettingsTest, ExitWithOffStartsTheNextRunOff) {
  const std::string First = Run("menu OFF\nwait 1000\n");
  EXPECT_TRUE(Has(First, "0 save ok\n0 exit 0\n0 save ok\n")) << First;
  EXPECT_TRUE(Has(ReadFile(), Start + "\r\nON=0\r\n"));
  const std::string Second = Run("move 100 100\nwait 10000\ndump\nmenu ON\n");
  EXPECT_TRUE(Has(Second, "Caption=\"OFF\""));
  EXPECT_TRUE(Has(Second, "10000 timer IdouHanteiTimer Enabled=0"));
  EXPECT_TRUE(Has(Second, "10000 menu OFF Checked=1"));
  EXPECT_FALSE(Has(Second, "mouse_event")) << "no action while off";
  const std::string Third = Run("dump\n");
  EXPECT_TRUE(Has(Third, "Caption=\"Alt\""));
  EXPECT_TRUE(Has(Third, "0 timer IdouHanteiTimer Enabled=1"));
}

TEST_F(SettingsTest, ChaseIsOnlySavedByTheNextSave) {
  const std::string Trace = Run("wait 500\nmenu Oikake\ndump\nwait 500\nend\n");
  EXPECT_TRUE(Has(Trace, "500 state ClickMode=ckSingle DragHeld=0 ClickDelay=30 ClickArmed=1"));
  EXPECT_TRUE(Has(Trace, "500 menu Oikake Checked=1"));
  EXPECT_FALSE(Has(Trace, "500 save")) << Trace;
  EXPECT_TRUE(Has(Trace, "1000 exit 0\n1000 save ok\n"));
  EXPECT_TRUE(Has(ReadFile(), Chase + "\r\nON=1\r\n"));
}

TEST_F(SettingsTest, SavedPositionBeyondTheScreenIsCentredOnShow) {
  WriteFile(Crlf({YPos, "YPOS=5000", XPos, "XPOS=100"}));
  const std::string Trace = Run("dump\n", "screen 1000 800\n");
  EXPECT_TRUE(Has(Trace, "0 moved 100 5000\n0 save ok\n0 moved 100 400\n0 moved 500 400\n"))
      << Trace;
}

TEST_F(SettingsTest, NegativePositionIsKeptUntilTheFirstCountdownTick) {
  WriteFile(Crlf({YPos, "YPOS=-30", XPos, "XPOS=-40"}));
  const std::string Trace = Run("move 500 500\nwait 3999\ndump\nwait 1\n");
  EXPECT_TRUE(Has(Trace, "3999 form Left=-40 Top=-30 ")) << Trace;
  EXPECT_TRUE(Has(Trace, "4100 moved -40 0\n4100 moved 0 0\n")) << Trace;
}

TEST_F(SettingsTest, PathTooLongForItsBufferIsNeverWritten) {
  AppData = AppData + "/" + std::string(250, 'a');
  fs::create_directories(AppData);
  const std::string Trace = Run("end\n");
  EXPECT_TRUE(Has(Trace, "%appdata%/Tazu/TazuClick.ini に書き込めません")) << Trace;
  EXPECT_FALSE(fs::exists(fs::path(AppData) / "Tazu"));
}

} // namespace
