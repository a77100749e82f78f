#include "ui/Component.h"

#include <algorithm>

namespace ui {

TComponent::TComponent(TComponent* AOwner) : FOwner(AOwner) {
  if (FOwner) FOwner->FComponents.push_back(this);
}

TComponent::~TComponent() {
  DestroyComponents();
  if (FOwner) std::erase(FOwner->FComponents, this);
}

void TComponent::DestroyComponents() {
  while (!FComponents.empty())
    delete FComponents.back();
}

} // namespace ui
