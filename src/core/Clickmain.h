// The toolbar: the process-wide click state and TTazuClickForm with every handler
// of the dwell clicker. Runs on the UI thread only; handlers may block (sleeps
// between injected events, synchronous sounds).
#pragma once

#include "core/CuteBtn.h"
#include "platform/Desktop.h"
#include "ui/Form.h"
#include "ui/Menu.h"
#include "ui/Timer.h"

#include <array>
#include <cstdint>
#include <string>
#include <utility>

namespace core {

enum TClickMode { ckSingle = 1, ckDouble = 2, ckDrag = 3, ckRight = 4, ckAlt = 6 };

struct TClickState {
  TClickMode ClickMode = ckSingle;
  bool DragHeld = false;
  std::int32_t ClickDelay = 0; // tenths of a second
  bool ClickArmed = false;
  bool ChaseSuppressed = false;
  int HoverTarget = 0; // 0 none, 1 SingleButton, 2 DragButton, 3 LeftButton, 4 OnButton
  platform::TPoint ClickPos;
  platform::TPoint ProbePos;
  std::int32_t SmallHeight = 20;
  std::int32_t LargeHeight = 40;
};

// One per process, never reset while the process lives.
extern TClickState ClickState;

inline constexpr int ToolbarClientWidth = 220;
inline constexpr const char* AppTitle = "「たずクリック。」Ver2.20";
inline constexpr const char* SoundFile = "Tazuclick.wav";
inline constexpr const char* HelpFileName = "TazuClk.chm";
inline constexpr const char* WebCaption = "https://tazuclick.example";
inline constexpr const char* WebAddress = "https://tazuclick.example/";

class TTazuClickForm : public ui::TForm {
public:
  explicit TTazuClickForm(ui::TComponent* AOwner);
  ~TTazuClickForm() override;

  ui::TTimer* IdouHanteiTimer;
  ui::TTimer* IntervalTimer;
  TCuteButton* OnButton;
  ui::TPopupMenu* Help;
  ui::TMenuItem* Exit1;
  TCuteButton* DragButton;
  TCuteButton* SingleButton;
  TCuteButton* LeftButton;
  ui::TMenuItem* Sound;
  ui::TMenuItem* OFF;
  ui::TMenuItem* ON;
  ui::TMenuItem* Oikake;
  ui::TMenuItem* Web;
  ui::TMenuItem* Help1;
  ui::TMenuItem* Hyouji;
  ui::TMenuItem* ClickTime;
  ui::TMenuItem* Time1;
  ui::TMenuItem* Time2;
  ui::TMenuItem* Time3;
  ui::TMenuItem* Time4;
  ui::TMenuItem* Time5;
  ui::TMenuItem* Time6;
  ui::TMenuItem* Time7;
  ui::TMenuItem* Time8;
  ui::TMenuItem* Time9;
  ui::TMenuItem* Time05;
  ui::TTimer* DaubleTimer;
  ui::TMenuItem* Ver;
  ui::TTimer* KetteiTimer;

  // Lifecycle.
  void FormCreate(ui::TObject* Sender);
  void FormShow(ui::TObject* Sender);
  void FormClose(ui::TObject* Sender, ui::TCloseAction& Action);
  void FormDestroy(ui::TObject* Sender);
  void CreateParams(ui::TCreateParams& Params) override;

  // Dwell engine and actions.
  void IdouHanteiTimerTimer(ui::TObject* Sender);
  void IntervalTimerTimer(ui::TObject* Sender);

  // Hover selection.
  void SingleButtonMouseEnter(ui::TObject* Sender);
  void DragButtonMouseEnter(ui::TObject* Sender);
  void LeftButtonMouseEnter(ui::TObject* Sender);
  void OnButtonMouseEnter(ui::TObject* Sender);
  void SingleButtonMouseLeave(ui::TObject* Sender);
  void DragButtonMouseLeave(ui::TObject* Sender);
  void LeftButtonMouseLeave(ui::TObject* Sender);
  void OnButtonMouseLeave(ui::TObject* Sender);
  void KetteiTimerTimer(ui::TObject* Sender);
  void DaubleTimerTimer(ui::TObject* Sender);
  void OnButtonClick(ui::TObject* Sender);
  void HelpPopup(ui::TObject* Sender);

  // Hit test and pointer notifications of the window itself.
  void Dispatch(ui::TMessage& Message) override;
  void FormHitTest(ui::TMessage& Message);
  void FormMouseEnter(ui::TMessage& Message);
  void FormMouseLeave(ui::TMessage& Message);

  // Menu commands.
  void TimeClick(std::int32_t Tenths);
  void OikakeClick(ui::TObject* Sender);
  void SoundClick(ui::TObject* Sender);
  void HyoujiClick(ui::TObject* Sender);
  void WebClick(ui::TObject* Sender);
  void Help1Click(ui::TObject* Sender);
  void ONClick(ui::TObject* Sender);
  void OFFClick(ui::TObject* Sender);

  // Settings and sizes.
  void LoadSettings();
  void SaveSettings();
  void SetClickTime(std::int32_t Value);
  void ApplyDisplaySize(bool Large);
  bool FolderExists(const std::string& Path);

private:
  // The ten click-time items in menu order, with their dwell times in tenths.
  std::array<std::pair<ui::TMenuItem*, std::int32_t>, 10> ClickTimeItems() const;
  void ButtonEnter(TCuteButton* Button, int Number);
  void ButtonLeave(TCuteButton* Button);
  void Toggle(TCuteButton* Button, TClickMode Mode);
  void PlayActionSound();
  void ClampToScreen();
  void WriteSettingsReported(const std::function<void()>& Write);

  // A failing save already reported; saves started by hit tests stay quiet
  // until one succeeds again.
  bool FSaveFailureShown = false;
};

extern TTazuClickForm* TazuClickForm;

} // namespace core
