#include "ui/Backend.h"

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

TBackend& Backend() {
  return *Current;
}
void SetBackend(TBackend* Value) {
  Current = Value ? Value : &NoBackend;
}

} // namespace ui
