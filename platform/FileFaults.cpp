#include "platform/FileFaults.h"

#include <atomic>

namespace platform::faults {
namespace {

struct Arranged {
    std::atomic<int> remaining{0}; // calls still to pass before the failing one
    std::atomic<int> errnum{0};
};

constexpr int kOps = 5;
Arranged g_arranged[kOps];
std::atomic<bool> g_any{false};

} // namespace

void InjectFailure(FileOp op, int nth, int errnum) {
    auto& slot = g_arranged[static_cast<int>(op)];
    slot.errnum = errnum;
    slot.remaining = nth;
    g_any = true;
}

void ClearFailures() {
    for (auto& slot : g_arranged)
        slot.remaining = 0;
    g_any = false;
}

bool ShouldFail(FileOp op, int& errnum) {
    if (!g_any.load(std::memory_order_relaxed))
        return false;
    auto& slot = g_arranged[static_cast<int>(op)];
    int left = slot.remaining.load();
    while (left > 0 && !slot.remaining.compare_exchange_weak(left, left - 1)) {
    }
    if (left != 1)
        return false;
    errnum = slot.errnum;
    return true;
}

} // namespace platform::faults
