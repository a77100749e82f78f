#include "platform/x11/Sound.h"

#ifdef TAZU_HAVE_CANBERRA
#include <canberra.h>
#endif

#include <condition_variable>
#include <mutex>

namespace platform::x11 {

#ifdef TAZU_HAVE_CANBERRA

namespace {

// Shared with canberra's thread, which reports the end after a timed-out wait too.
struct TWait {
  std::mutex Lock;
  std::condition_variable Done;
  bool Finished = false;
};

void Finished(ca_context*, std::uint32_t, int, void* UserData) {
  std::unique_ptr<std::shared_ptr<TWait>> Ref(static_cast<std::shared_ptr<TWait>*>(UserData));
  std::lock_guard<std::mutex> Guard((*Ref)->Lock);
  (*Ref)->Finished = true;
  (*Ref)->Done.notify_all();
}

} // namespace

struct TSoundPlayer::TImpl {
  std::chrono::milliseconds Limit;
  ca_context* Context = nullptr;
  std::uint32_t NextId = 1;
};

TSoundPlayer::TSoundPlayer(std::chrono::milliseconds Limit) : F(new TImpl{Limit}) {}

TSoundPlayer::~TSoundPlayer() {
  if (F->Context) ca_context_destroy(F->Context);
}

void TSoundPlayer::Play(const std::string& Path) {
  if (!F->Context) {
    if (ca_context_create(&F->Context) != CA_SUCCESS) {
      F->Context = nullptr;
      return;
    }
    ca_context_change_props(F->Context, CA_PROP_APPLICATION_NAME, "TazuClick",
                            CA_PROP_APPLICATION_ID, "tazuclick", nullptr);
  }
  ca_proplist* Props = nullptr;
  if (ca_proplist_create(&Props) != CA_SUCCESS) return;
  if (Path.empty())
    ca_proplist_sets(Props, CA_PROP_EVENT_ID, "bell");
  else
    ca_proplist_sets(Props, CA_PROP_MEDIA_FILENAME, Path.c_str());
  // Uncached: the file may change between plays, as a wave file played by name does.
  ca_proplist_sets(Props, CA_PROP_CANBERRA_CACHE_CONTROL, "never");

  auto State = std::make_shared<TWait>();
  auto* Ref = new std::shared_ptr<TWait>(State);
  const std::uint32_t Id = F->NextId++;
  if (ca_context_play_full(F->Context, Id, Props, Finished, Ref) != CA_SUCCESS) {
    delete Ref; // no callback follows a failed start
    ca_proplist_destroy(Props);
    return;
  }
  ca_proplist_destroy(Props);
  std::unique_lock<std::mutex> Guard(State->Lock);
  if (!State->Done.wait_for(Guard, F->Limit, [&] { return State->Finished; })) {
    Guard.unlock();
    ca_context_cancel(F->Context, Id);
  }
}

#else

struct TSoundPlayer::TImpl {};
TSoundPlayer::TSoundPlayer(std::chrono::milliseconds) : F(new TImpl) {}
TSoundPlayer::~TSoundPlayer() = default;
void TSoundPlayer::Play(const std::string&) {}

#endif

} // namespace platform::x11
