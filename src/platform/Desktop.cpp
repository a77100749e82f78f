#include "platform/Desktop.h"

#include <cassert>

namespace platform {
namespace {
TDesktop* Installed = nullptr;
}

TDesktop& Desktop() {
  assert(Installed && "no desktop services installed");
  return *Installed;
}

void SetDesktop(TDesktop* Services) {
  Installed = Services;
}

} // namespace platform
