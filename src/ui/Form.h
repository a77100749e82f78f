// TForm: a top-level window. Left, Top, Width and Height are the outer frame in
// screen pixels; the client area lies inside a frame of the backend's width.
#pragma once

#include "ui/Control.h"

#include <cstdint>
#include <functional>

namespace ui {

enum class TCloseAction { caNone, caHide, caFree, caMinimize };
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;

// Window style bits as the window-creation parameters carry them.
inline constexpr std::uint32_t WS_POPUP = 0x80000000;
inline constexpr std::uint32_t WS_CLIPSIBLINGS = 0x04000000;
inline constexpr std::uint32_t WS_CLIPCHILDREN = 0x02000000;
inline constexpr std::uint32_t WS_CAPTION = 0x00C00000;
inline constexpr std::uint32_t WS_BORDER = 0x00800000;
inline constexpr std::uint32_t WS_DLGFRAME = 0x00400000;
inline constexpr std::uint32_t WS_EX_DLGMODALFRAME = 0x00000001;
inline constexpr std::uint32_t WS_EX_WINDOWEDGE = 0x00000100;

struct TCreateParams {
  std::uint32_t Style = 0;
  std::uint32_t ExStyle = 0;
};

class TForm : public TControl {
public:
  explicit TForm(TComponent* AOwner);
  ~TForm() override;

  int ClientWidth() const override;
  int ClientHeight() const override;
  void SetClientWidth(int Value);
  void SetClientHeight(int Value);
  int ClientOriginX() const override;
  int ClientOriginY() const override;

  bool StayOnTop = true;
  bool Scaled = false;

  // Style of a dialog-bordered pop-up with no border icons; forms may adjust it.
  virtual void CreateParams(TCreateParams& Params);

  void Show();
  // Runs OnClose; unless the action is caNone, closing the main form ends the
  // application and closing another form hides it. An error from OnClose stops
  // the close and propagates to the caller.
  void Close();

  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  TCloseEvent OnClose;
  TNotifyEvent OnDestroy;

  void SetVisible(bool Value) override;
  // True until the layout has been loaded; backends ignore changes made meanwhile.
  bool Loading() const { return FLoading; }

protected:
  void Loaded() { FLoading = false; }
  // Runs OnCreate; an error is shown and construction goes on.
  void DoCreate();

private:
  int Frame() const;
  bool FLoading = true;
};

} // namespace ui
