#include "io/TemporaryFiles.h"

#include <array>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <pthread.h>
#include <shared_mutex>
#include <thread>
#include <unistd.h>

namespace zpk {

namespace {

// Writes hold this shared while their temporary file exists; the ending
// program takes it exclusively, which waits for them.
std::shared_timed_mutex g_writing;
std::atomic<bool> g_ending{false};

// How long an ending program waits for writes under way (a write to a slow
// disk) before it removes their temporaries from under them.
constexpr auto kWaitForWrites = std::chrono::seconds(3);

constexpr std::size_t kMaxPath = 4096;
struct Slot {
    std::atomic<bool> taken{false};  // reserved by a guard
    std::atomic<bool> inUse{false};  // the path is complete
    char path[kMaxPath]{};
};
// Zero-initialised, so that the table costs nothing until a slot is used
// (a program that never writes never touches its 2 MiB).
std::array<Slot, kMaxTemporaryFiles> g_slots;

sigset_t endingSignals()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&set, signal);
    return set;
}

[[noreturn]] void endOnSignals()
{
    const sigset_t set = endingSignals();
    int signal = 0;
    while (::sigwait(&set, &signal) != 0) {
    }
    g_ending = true;
    // the writes under way finish, and none starts: then no temporary exists
    const bool settled = g_writing.try_lock_for(kWaitForWrites);
    for (Slot& slot : g_slots)
        if (slot.inUse.load(std::memory_order_acquire)) ::unlink(slot.path);
    (void)settled;  // held until the end: nothing may write now
    // end as the signal would have ended the program
    std::signal(signal, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    ::pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    ::raise(signal);
    ::_exit(128 + signal);  // not reached
}

}  // namespace

void installSignalCleanup()
{
    std::signal(SIGXFSZ, SIG_IGN);
    const sigset_t set = endingSignals();
    ::pthread_sigmask(SIG_BLOCK, &set, nullptr);
    std::thread(endOnSignals).detach();
}

TemporaryFileGuard::TemporaryFileGuard(const std::string& path)
{
    g_writing.lock_shared();
    m_allowed = !g_ending;
    if (!m_allowed || path.empty() || path.size() >= kMaxPath) return;
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
    if (m_slot >= 0) {
        Slot& slot = g_slots[static_cast<std::size_t>(m_slot)];
        slot.inUse.store(false, std::memory_order_release);
        slot.taken.store(false, std::memory_order_release);
    }
    g_writing.unlock_shared();
}

}  // namespace zpk
