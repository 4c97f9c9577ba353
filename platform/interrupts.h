#pragma once

// What a Ctrl+C (SIGINT), SIGTERM, SIGHUP or, on Windows, the console closing
// does in the middle of a transfer: the files this run created aside and
// registered here are removed, then the process ends as the signal would
// end it (status 130 / 143 in a POSIX shell). Nothing else is touched, and a
// step that must not stop half-way (the switch of the tables) defers the end
// until it is done. The handler only unlinks paths written here in advance,
// so it stays async-signal-safe.
//
// The handlers are installed with the first registration, and only for a
// signal whose handling the program left at its default.

#include <filesystem>

namespace pontexa::platform {

// Registers `path` for removal on interruption while the object lives.
// Paths past the registry's room (dozens) or length are simply not
// registered; the next run's cleanup still finds them.
class RemovedOnInterrupt {
 public:
  explicit RemovedOnInterrupt(const std::filesystem::path& path);
  ~RemovedOnInterrupt();
  RemovedOnInterrupt(const RemovedOnInterrupt&) = delete;
  RemovedOnInterrupt& operator=(const RemovedOnInterrupt&) = delete;

  // The file is no longer ours to remove (it was renamed into place).
  void Release();

 private:
  int slot_ = -1;
};

// While one lives, an interruption waits; it takes effect when the last one
// goes.
class InterruptsDeferred {
 public:
  InterruptsDeferred();
  ~InterruptsDeferred();
  InterruptsDeferred(const InterruptsDeferred&) = delete;
  InterruptsDeferred& operator=(const InterruptsDeferred&) = delete;
};

}  // namespace pontexa::platform
