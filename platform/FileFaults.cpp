#include "platform/FileFaults.h"

#include <atomic>

namespace platform::faults {
namespace {

struct Arranged {
    std::atomic<int> remaining{0}; // calls still to pass before the failing one
    std::atomic<int> errnum{0};
    std::atomic<int> count{0}; // attempts since the last ResetCounts
};

constexpr int kOps = 5;
Arranged g_arranged[kOps];
std::atomic<bool> g_any{false};
std::atomic<bool> g_diskLimited{false};
std::atomic<std::size_t> g_diskLeft{0};

} // namespace

void InjectFailure(FileOp op, int nth, int errnum) {
    auto& slot = g_arranged[static_cast<int>(op)];
    slot.errnum = errnum;
    slot.remaining = nth;
    g_any = true;
}

void LimitDiskSpace(std::size_t bytes) {
    g_diskLeft = bytes;
    g_diskLimited = true;
}

void ClearFailures() {
    for (auto& slot : g_arranged)
        slot.remaining = 0;
    g_any = false;
    g_diskLimited = false;
}

int Count(FileOp op) {
    return g_arranged[static_cast<int>(op)].count.load();
}

void ResetCounts() {
    for (auto& slot : g_arranged)
        slot.count = 0;
}

bool ShouldFail(FileOp op, int& errnum) {
    auto& slot = g_arranged[static_cast<int>(op)];
    slot.count.fetch_add(1, std::memory_order_relaxed);
    if (!g_any.load(std::memory_order_relaxed))
        return false;
    int left = slot.remaining.load();
    while (left > 0 && !slot.remaining.compare_exchange_weak(left, left - 1)) {
    }
    if (left != 1)
        return false;
    errnum = slot.errnum;
    return true;
}

std::size_t WritableBytes(std::size_t wanted) {
    if (!g_diskLimited.load(std::memory_order_relaxed))
        return wanted;
    std::size_t left = g_diskLeft.load();
    std::size_t taken;
    do {
        taken = wanted < left ? wanted : left;
    } while (!g_diskLeft.compare_exchange_weak(left, left - taken));
    return taken;
}

} // namespace platform::faults
