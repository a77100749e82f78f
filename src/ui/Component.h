// Base of everything the layout creates: a name, an owner that deletes its
// components when it goes, and the notify-event type the handlers are bound with.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace ui {

class TObject {
public:
  virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

class TComponent : public TObject {
public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  const std::string& Name() const { return FName; }
  void SetName(const std::string& Value) { FName = Value; }
  TComponent* Owner() const { return FOwner; }
  const std::vector<TComponent*>& Components() const { return FComponents; }

protected:
  // Deletes the owned components now, newest first; derived destructors call it
  // while their own members are still alive.
  void DestroyComponents();

private:
  TComponent* FOwner;
  std::string FName;
  std::vector<TComponent*> FComponents;
};

} // namespace ui
