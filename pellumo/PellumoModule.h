#pragma once
// Module-wide state: the lock count that keeps the module loaded while
// objects, class-object references or server locks are outstanding, and the
// mutex that lets one thread convert at a time.

#include "com/Types.h"

#include <mutex>

namespace pellumo {

void LockModule();
void UnlockModule();
LONG ModuleLockCount();

// Held for the whole of every conversion. A conversion keeps its state per
// call, so the thread holding it may start another one inside (a host whose
// message presenter runs a message loop can call Convert again): the mutex
// is recursive, and only other threads wait.
std::recursive_mutex& ConversionMutex();

} // namespace pellumo
