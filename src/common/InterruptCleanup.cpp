#include "common/InterruptCleanup.h"

#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>

namespace sonkora {

namespace {

// A signal handler can only reach static storage, and may only use what is safe in it:
// atomics and unlink(). A slot is claimed, filled, then published; the handler reads
// only published slots.
struct Slot {
    std::atomic<bool> claimed{false};
    std::atomic<bool> published{false};
    char path[PATH_MAX] = {};
};

std::array<Slot, 16> slots;

extern "C" void RemoveTemporariesAndEnd(int signalNumber) {
    const int savedErrno = errno;
    for (Slot& slot : slots) {
        if (slot.published.load(std::memory_order_acquire)) ::unlink(slot.path);
    }
    errno = savedErrno;
    // The handler was installed to run once: the default action is back, and the
    // signal, blocked while we run, ends the program as soon as we return.
    ::raise(signalNumber);
}

}  // namespace

void InstallInterruptCleanup() {
    struct sigaction action {};
    action.sa_handler = RemoveTemporariesAndEnd;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    for (const int signalNumber : {SIGINT, SIGTERM}) {
        struct sigaction previous {};
        // A signal the caller's parent told us to ignore stays ignored.
        if (::sigaction(signalNumber, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
        ::sigaction(signalNumber, &action, nullptr);
    }
}

int RegisterTemporary(const std::string& path) {
    if (path.size() >= PATH_MAX) return -1;
    for (size_t i = 0; i < slots.size(); ++i) {
        bool expected = false;
        if (!slots[i].claimed.compare_exchange_strong(expected, true)) continue;
        std::memcpy(slots[i].path, path.c_str(), path.size() + 1);
        slots[i].published.store(true, std::memory_order_release);
        return static_cast<int>(i);
    }
    return -1;
}

void UnregisterTemporary(int slot) {
    if (slot < 0 || static_cast<size_t>(slot) >= slots.size()) return;
    slots[static_cast<size_t>(slot)].published.store(false, std::memory_order_release);
    slots[static_cast<size_t>(slot)].claimed.store(false, std::memory_order_release);
}

}  // namespace sonkora
