#include "export/TemporaryFiles.h"

#include <array>
#include <atomic>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace zpk {

namespace {

// A path that a signal handler can read: written while `inUse` is false,
// then published by setting it; the handler only reads published slots.
// Lock-free atomics are safe to read in a signal handler.
constexpr std::size_t kMaxPath = 4096;
struct Slot {
    std::atomic<bool> taken{false};  // reserved by a guard
    std::atomic<bool> inUse{false};  // the path is complete
    char path[kMaxPath];
};
std::array<Slot, kMaxTemporaryFiles> g_slots;

// Removes the temporaries, then lets the signal end the program as it
// would have, so that a shell sees a program ended by SIGINT (and stops a
// loop) rather than one that exited.
extern "C" void removeTemporariesAndExit(int signal)
{
    for (Slot& slot : g_slots) {
        if (slot.inUse.load(std::memory_order_acquire)) ::unlink(slot.path);
    }
    ::signal(signal, SIG_DFL);
    sigset_t unblocked;
    sigemptyset(&unblocked);
    sigaddset(&unblocked, signal);
    ::sigprocmask(SIG_UNBLOCK, &unblocked, nullptr);
    ::raise(signal);
    ::_exit(128 + signal);  // not reached
}

}  // namespace

void installSignalCleanup()
{
    struct sigaction action {};
    action.sa_handler = removeTemporariesAndExit;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&action.sa_mask, signal);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
    std::signal(SIGXFSZ, SIG_IGN);
}

TemporaryFileGuard::TemporaryFileGuard(const std::string& path)
{
    if (path.size() >= kMaxPath) return;
    for (int i = 0; i < kMaxTemporaryFiles; ++i) {
        Slot& slot = g_slots[static_cast<std::size_t>(i)];
        bool expected = false;
        if (!slot.taken.compare_exchange_strong(expected, true, std::memory_order_acq_rel)) continue;
        std::memcpy(slot.path, path.c_str(), path.size() + 1);
        slot.inUse.store(true, std::memory_order_release);
        m_slot = i;
        return;
    }
}

TemporaryFileGuard::~TemporaryFileGuard()
{
    if (m_slot < 0) return;
    Slot& slot = g_slots[static_cast<std::size_t>(m_slot)];
    slot.inUse.store(false, std::memory_order_release);
    slot.taken.store(false, std::memory_order_release);
}

}  // namespace zpk
