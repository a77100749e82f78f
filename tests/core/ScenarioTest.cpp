// Runs every scenario file and checks its trace against the expectations
// written in the file itself:
//   #> LINE   the whole trace, line by line (all #> lines together)
//   #~ LINE   these lines appear in the trace in this order, others between
//   #! TEXT   no trace line contains TEXT
#include "Scenario.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Lines(const std::string& Text) {
  std::vector<std::string> Out;
  std::istringstream In(Text);
  for (std::string L; std::getline(In, L);)
    Out.push_back(L);
  return Out;
}

std::vector<std::string> ScenarioNames() {
  std::vector<std::string> Names;
  for (const auto& E : fs::directory_iterator(TAZU_SCENARIO_DIR))
    if (E.path().extension() == ".scn") Names.push_back(E.path().stem().string());
  std::sort(Names.begin(), Names.end());
  return Names;
}

class ScenarioTest : public ::testing::TestWithParam<std::string> {};

TEST_P(ScenarioTest, TraceMeetsExpectations) {
  const fs::path File = fs::path(TAZU_SCENARIO_DIR) / (GetParam() + ".scn");
  std::ifstream In(File);
  std::stringstream Script;
  Script << In.rdbuf();

  std::vector<std::string> Exact, InOrder, Absent;
  for (const std::string& L : Lines(Script.str())) {
    if (L.rfind("#> ", 0) == 0) Exact.push_back(L.substr(3));
    if (L.rfind("#~ ", 0) == 0) InOrder.push_back(L.substr(3));
    if (L.rfind("#! ", 0) == 0) Absent.push_back(L.substr(3));
  }
  ASSERT_FALSE(Exact.empty() && InOrder.empty() && Absent.empty())
      << File << " states no expectation";

  std::istringstream ScriptIn(Script.str());
  std::ostringstream Out, Err;
  ASSERT_EQ(RunScenario(ScriptIn, Out, Err), 0) << Err.str();
  const std::vector<std::string> Trace = Lines(Out.str());

  if (!Exact.empty()) {
    EXPECT_EQ(Trace, Exact) << Out.str();
  }
  auto At = Trace.begin();
  for (const std::string& Want : InOrder) {
    At = std::find(At, Trace.end(), Want);
    ASSERT_NE(At, Trace.end()) << "missing, or out of order: " << Want << "\n" << Out.str();
    ++At;
  }
  for (const std::string& Text : Absent)
    for (const std::string& L : Trace)
      EXPECT_EQ(L.find(Text), std::string::npos) << "unexpected: " << L;
}

INSTANTIATE_TEST_SUITE_P(Files, ScenarioTest, ::testing::ValuesIn(ScenarioNames()),
                         [](const auto& Info) {
                           std::string Name = Info.param;
                           std::replace(Name.begin(), Name.end(), '-', '_');
                           return Name;
                         });

TEST(ScenarioFormat, MalformedScriptsAreRefusedNamingTheLine) {
  const struct {
    const char* Script;
    const char* Message;
  } Cases[] = {
      {"start\nmove 1\n", "line 2:"},
      {"start\nfly 1 2\n", "line 2: unknown command 'fly'"},
      {"# setup\nmove 5 5\nstart\n", "line 2:"},
      {"start\nscreen 800 600\n", "line 2:"},
      {"start\nwait -5\n", "line 2:"},
      {"start\nmenu Quit\n", "line 2: 'Quit' is not a menu item"},
      {"start\npress middle\n", "line 2:"},
      {"start\nstart\n", "line 2:"},
  };
  for (const auto& C : Cases) {
    std::istringstream In(C.Script);
    std::ostringstream Out, Err;
    EXPECT_EQ(RunScenario(In, Out, Err), 2) << C.Script;
    EXPECT_NE(Err.str().find(C.Message), std::string::npos) << Err.str();
    EXPECT_EQ(Out.str(), "") << "a malformed scenario runs nothing";
  }
}

} // namespace
