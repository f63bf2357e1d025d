#include "pellumo/PellumoModule.h"

#include <atomic>

namespace pellumo {
namespace {

std::atomic<LONG> g_lockCount{0};

} // namespace

void LockModule() {
    ++g_lockCount;
}

void UnlockModule() {
    --g_lockCount;
}

LONG ModuleLockCount() {
    return g_lockCount.load();
}

std::recursive_mutex& ConversionMutex() {
    static std::recursive_mutex mutex;
    return mutex;
}

} // namespace pellumo
