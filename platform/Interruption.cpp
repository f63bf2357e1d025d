#include "platform/Interruption.h"

#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace platform {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// One slot per temporary file in flight (a unit of outputs has up to four
// in each writing thread). A slot's path is written only while the slot is
// Claimed; the handler reads paths of Ready slots alone, with nothing but
// lock-free atomics and unlink.
enum SlotState : int { Free, Claimed, Ready };
struct Slot {
    std::atomic<int> state{Free};
    char path[PATH_MAX];
};
constexpr int kSlots = 64;
Slot g_slots[kSlots];
std::atomic<bool> g_installed{false};
std::atomic<int> g_holding{0}; // open HeldInterruptions scopes
std::atomic<int> g_pending{0}; // a signal that arrived while held

void EndNow(int signal) {
    for (Slot& slot : g_slots)
        if (slot.state.load() == Ready)
            ::unlink(slot.path);
    ::_exit(128 + signal);
}

void OnInterruption(int signal) {
    if (g_holding.load() > 0) {
        g_pending.store(signal);
        // Closed meanwhile: nobody is left to act on it.
        if (g_holding.load() > 0 || g_pending.exchange(0) == 0)
            return;
    }
    EndNow(signal);
}

sigset_t HandledSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : kSignals)
        sigaddset(&set, signal);
    return set;
}

} // namespace

void EndCleanlyOnInterruption() {
    struct sigaction action {};
    action.sa_handler = OnInterruption;
    action.sa_mask = HandledSignals();
    for (const int signal : kSignals) {
        struct sigaction previous {};
        if (::sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN)
            continue;
        ::sigaction(signal, &action, nullptr);
    }
    g_installed = true;
}

int RememberTemporary(const std::string& path) {
    if (!g_installed.load(std::memory_order_relaxed) || path.size() >= PATH_MAX)
        return -1;
    for (int i = 0; i < kSlots; ++i) {
        int expected = Free;
        if (!g_slots[i].state.compare_exchange_strong(expected, Claimed))
            continue;
        std::memcpy(g_slots[i].path, path.c_str(), path.size() + 1);
        g_slots[i].state = Ready;
        return i;
    }
    return -1;
}

void ForgetTemporary(int token) {
    if (token >= 0 && token < kSlots)
        g_slots[token].state = Free;
}

HeldInterruptions::HeldInterruptions() {
    g_holding.fetch_add(1);
}

HeldInterruptions::~HeldInterruptions() {
    if (g_holding.fetch_sub(1) != 1)
        return;
    if (const int signal = g_pending.exchange(0); signal != 0)
        EndNow(signal);
}

} // namespace platform
