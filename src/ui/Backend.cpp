#include "ui/Backend.h"

#include "ui/Application.h"

namespace ui {
namespace {

class TNoBackend final : public TBackend {
public:
  std::int64_t Now() override { return 0; }
  void RunLoop(TApplication&) override {}
};

TNoBackend NoBackend;
TBackend* Current = &NoBackend;

} // namespace

TControl* TBackend::IdleLookup(TApplication& App, platform::TPoint Screen) {
  TControl* Found = App.FindControl(Screen);
  if (Found && Found == App.MainForm()) App.HitTest(*App.MainForm(), Screen);
  return Found;
}

TBackend& Backend() {
  return *Current;
}
void SetBackend(TBackend* Value) {
  Current = Value ? Value : &NoBackend;
}

} // namespace ui
