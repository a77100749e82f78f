#include "platform/x11/InstanceLock.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform::x11 {

bool LockHeldElsewhere(const std::string& Path) {
  const int Fd = ::open(Path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (Fd < 0) return false;
  int Result;
  do
    Result = ::flock(Fd, LOCK_EX | LOCK_NB);
  while (Result != 0 && errno == EINTR);
  if (Result == 0) return false; // held until exit: Fd stays open on purpose
  const bool Taken = errno == EWOULDBLOCK;
  ::close(Fd);
  return Taken;
}

} // namespace platform::x11
