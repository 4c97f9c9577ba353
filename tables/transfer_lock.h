#pragma once

// One transfer at a time per exchange folder, and one import at a time per
// SAGA file. An export or import holds its lock for its whole run, so that
// the tables it reads or writes are one set. The locks are the system's own
// (flock, LockFileEx): a process that dies releases them, so a killed run
// never blocks the next one.

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "platform/error.h"
#include "platform/files.h"

namespace pontexa::tables {

// The folder or file is busy with another transfer past the wait.
class TransferBusyError : public pontexa::Error {
 public:
  using pontexa::Error::Error;
};

// How long a transfer waits for a busy folder, and whom it tells (once)
// that it waits. The default suits a person at the dialog or a script.
struct LockWait {
  std::chrono::milliseconds total{5000};
  std::chrono::milliseconds poll{100};
  std::function<void(const std::string& message)> onWaiting;
};

// The lock file every transfer takes in the exchange folder. It is left in
// place: removing a lock file races with the next process opening it.
inline constexpr std::string_view kTransferLockName = "PONTEXA.BLOQUEO";

class TransferLock {
 public:
  enum class Use { Write, Read };

  // Locks `folder` for a transfer (TransferBusyError past the wait). For
  // Use::Read (the import only reads the folder) a folder where the lock
  // file does not exist and cannot be created is read unlocked: nobody
  // without write access can change it either.
  static TransferLock ForExchangeFolder(const std::filesystem::path& folder, Use use, const LockWait& wait = {});

  // Locks the folder entry of a SAGA file for an import into it (the folder
  // itself, where the system can lock one).
  static TransferLock ForSagaFile(const std::filesystem::path& file, const LockWait& wait = {});

  bool Held() const { return lock_.has_value(); }

 private:
  explicit TransferLock(std::optional<platform::FileLock> lock) : lock_(std::move(lock)) {}
  std::optional<platform::FileLock> lock_;
};

}  // namespace pontexa::tables
