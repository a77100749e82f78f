// The single-instance guard on Linux: an flock on a lock file that stays held
// until the process ends (the descriptor is never closed and not inherited by
// programs we start, so the lock goes with this process and only with it).
#pragma once

#include <string>

namespace platform::x11 {

// Takes the lock at Path; true when another process holds it already. A lock
// file that cannot be opened guards nothing: the program runs.
bool LockHeldElsewhere(const std::string& Path);

} // namespace platform::x11
