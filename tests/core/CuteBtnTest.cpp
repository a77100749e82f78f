// TCuteButton on its own: Flat and the accelerator character.
#include "core/CuteBtn.h"
#include "platform/Desktop.h"
#include "ui/Backend.h"
#include "ui/Form.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using ui::TBevelCut;

// Counts what the control asks to be repainted.
class TRepaintCounter final : public ui::TBackend {
public:
  std::int64_t Now() override { return 0; }
  void RunLoop(ui::TApplication&) override {}
  void ControlChanged(ui::TControl& Control) override { ++Repaints[&Control]; }
  std::map<const ui::TControl*, int> Repaints;
};

class CuteBtnTest : public ::testing::Test {
protected:
  CuteBtnTest() { ui::SetBackend(&Backend); }
  ~CuteBtnTest() override {
    delete Parent;
    ui::SetBackend(nullptr);
  }
  TRepaintCounter Backend;
  ui::TForm* Parent = new ui::TForm(nullptr);
  core::TCuteButton* Button = [this] {
    auto* B = new core::TCuteButton(Parent);
    B->SetParent(Parent);
    return B;
  }();
};

TEST_F(CuteBtnTest, ConstructionGivesTheRestingLook) {
  EXPECT_EQ(Button->BevelOuter(), TBevelCut::bvNone);
  EXPECT_EQ(Button->BevelInner(), TBevelCut::bvRaised);
  EXPECT_FALSE(Button->Flat());
  EXPECT_EQ(Button->Width(), 75);
  EXPECT_EQ(Button->Height(), 25);
  EXPECT_TRUE(Button->TabStop());
  EXPECT_EQ(Button->Color(), ui::clBtnFace);
}

TEST_F(CuteBtnTest, FlatTakesTheInnerBevelAwayOnlyWhenItChanges) {
  const int Before = Backend.Repaints[Button];
  Button->SetFlat(false);
  EXPECT_EQ(Backend.Repaints[Button], Before) << "same value: inner bevel untouched";
  Button->SetFlat(true);
  EXPECT_EQ(Button->BevelInner(), TBevelCut::bvNone);
  EXPECT_EQ(Backend.Repaints[Button], Before + 1);
  Button->SetFlat(false);
  EXPECT_EQ(Button->BevelInner(), TBevelCut::bvRaised);
}

TEST_F(CuteBtnTest, BevelAssignmentsRepaintEvenWithTheSameValue) {
  const int Before = Backend.Repaints[Button];
  Button->SetBevelOuter(Button->BevelOuter());
  EXPECT_EQ(Backend.Repaints[Button], Before + 1);
}

TEST_F(CuteBtnTest, AcceleratorClicksOnlyWithAMarkedMatchingCharacter) {
  int Clicks = 0;
  Button->OnClick = [&](ui::TObject*) { ++Clicks; };
  Parent->SetVisible(true);
  Button->SetCaption("ダブル");
  EXPECT_EQ(Button->Perform(ui::CM_DIALOGCHAR, 'a'), 0);
  Button->SetCaption("&Alt");
  EXPECT_EQ(Button->Perform(ui::CM_DIALOGCHAR, 'b'), 0);
  EXPECT_EQ(Button->Perform(ui::CM_DIALOGCHAR, 'a'), 1) << "case does not matter";
  EXPECT_EQ(Clicks, 1);
  Button->SetEnabled(false);
  EXPECT_EQ(Button->Perform(ui::CM_DIALOGCHAR, 'A'), 0);
  Button->SetEnabled(true);
  Parent->SetVisible(false);
  EXPECT_EQ(Button->Perform(ui::CM_DIALOGCHAR, 'A'), 0) << "parent hidden";
  EXPECT_EQ(Clicks, 1);
}

TEST_F(CuteBtnTest, KeyClearedByOnKeyDownDoesNotClick) {
  int Clicks = 0;
  Button->OnClick = [&](ui::TObject*) { ++Clicks; };
  Button->OnKeyDown = [](ui::TObject*, std::uint16_t& Key) { Key = 0; };
  std::uint16_t Key = platform::VK_SPACE;
  Button->KeyDown(Key);
  EXPECT_EQ(Clicks, 0);
  EXPECT_EQ(Button->BevelOuter(), TBevelCut::bvNone);
  Button->OnKeyDown = nullptr;
  for (int Repeat = 0; Repeat < 3; ++Repeat) {
    Key = platform::VK_RETURN;
    Button->KeyDown(Key);
  }
  EXPECT_EQ(Clicks, 3) << "one click per key-down, repeats included";
  EXPECT_EQ(Button->BevelOuter(), TBevelCut::bvRaised);
}

} // namespace
