#include "platform/interrupts.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <pthread.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace pontexa::platform {
namespace {

#ifdef _WIN32
using NativeChar = wchar_t;
#else
using NativeChar = char;
#endif

// A slot is free (0), being written (1) or ready for the handler (2). Plain
// arrays: the handler may read them at any moment, so nothing here allocates
// or moves.
constexpr int kSlots = 64;
constexpr std::size_t kPathRoom = 4096;
struct Slot {
  std::atomic<int> state{0};
  NativeChar path[kPathRoom];
};
Slot gSlots[kSlots];

void RemoveRegistered() {
  for (Slot& slot : gSlots) {
    if (slot.state.load(std::memory_order_acquire) != 2) continue;
#ifdef _WIN32
    DeleteFileW(slot.path);
#else
    ::unlink(slot.path);
#endif
  }
}

#ifdef _WIN32
std::atomic<int> gDeferred{0};

BOOL WINAPI OnConsoleEvent(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      // This runs on its own thread; the switch of the tables is let finish
      // (Windows allows a closing console about five seconds).
      for (int waited = 0; gDeferred.load() > 0 && waited < 400; ++waited) Sleep(10);
      RemoveRegistered();
      return FALSE;  // the default handler ends the process
    default: return FALSE;
  }
}

void InstallHandlers() { SetConsoleCtrlHandler(OnConsoleEvent, TRUE); }
#else
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

void OnSignal(int signal) {
  const int savedErrno = errno;
  RemoveRegistered();
  errno = savedErrno;
  // Ends the process as the signal itself would (SA_RESETHAND restored the
  // default); it is delivered when this handler returns.
  ::raise(signal);
}

void InstallHandlers() {
  for (int signal : kSignals) {
    struct sigaction current {};
    if (::sigaction(signal, nullptr, &current) != 0) continue;
    if ((current.sa_flags & SA_SIGINFO) != 0 || current.sa_handler != SIG_DFL) continue;  // the program's own choice
    struct sigaction ours {};
    ours.sa_handler = OnSignal;
    sigemptyset(&ours.sa_mask);
    for (int other : kSignals) sigaddset(&ours.sa_mask, other);
    ours.sa_flags = SA_RESETHAND;
    ::sigaction(signal, &ours, nullptr);
  }
}
#endif

void EnsureHandlers() {
  static std::once_flag once;
  std::call_once(once, InstallHandlers);
}

}  // namespace

RemovedOnInterrupt::RemovedOnInterrupt(const fs::path& path) {
  EnsureHandlers();
  const auto& native = path.native();
  if (native.size() + 1 > kPathRoom) return;
  for (int i = 0; i < kSlots; ++i) {
    int expected = 0;
    if (!gSlots[i].state.compare_exchange_strong(expected, 1, std::memory_order_acq_rel)) continue;
    std::memcpy(gSlots[i].path, native.c_str(), (native.size() + 1) * sizeof(NativeChar));
    gSlots[i].state.store(2, std::memory_order_release);
    slot_ = i;
    return;
  }
}

RemovedOnInterrupt::~RemovedOnInterrupt() { Release(); }

void RemovedOnInterrupt::Release() {
  if (slot_ < 0) return;
  gSlots[slot_].state.store(0, std::memory_order_release);
  slot_ = -1;
}

#ifdef _WIN32
InterruptsDeferred::InterruptsDeferred() {
  EnsureHandlers();
  ++gDeferred;
}
InterruptsDeferred::~InterruptsDeferred() { --gDeferred; }
#else
namespace {
// Nested deferrals block once and unblock once, on this thread.
thread_local int tDepth = 0;
thread_local sigset_t tSaved;
}  // namespace

InterruptsDeferred::InterruptsDeferred() {
  if (tDepth++ > 0) return;
  sigset_t blocked;
  sigemptyset(&blocked);
  for (int signal : kSignals) sigaddset(&blocked, signal);
  pthread_sigmask(SIG_BLOCK, &blocked, &tSaved);
}

InterruptsDeferred::~InterruptsDeferred() {
  if (--tDepth > 0) return;
  pthread_sigmask(SIG_SETMASK, &tSaved, nullptr);  // a pending signal is delivered here
}
#endif

}  // namespace pontexa::platform
