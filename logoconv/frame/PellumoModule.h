#pragma once
// Module-wide state: the lock count that keeps the module loaded while
// objects, class-object references or server locks are outstanding, and the
// mutex that lets one conversion run at a time.

#include "com/Types.h"

#include <mutex>

namespace pellumo {

void LockModule();
void UnlockModule();
LONG ModuleLockCount();

// Held for the whole of every conversion.
std::mutex& ConversionMutex();

} // namespace pellumo
