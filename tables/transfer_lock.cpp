#include "tables/transfer_lock.h"

#include <system_error>
#include <thread>

#include "platform/utf8_path.h"

namespace fs = std::filesystem;

namespace pontexa::tables {
namespace {

// Tries `attempt` until it gives a lock or the wait is over; tells the
// caller once, at the first refusal, that it waits.
template <typename Attempt>
platform::FileLock WaitFor(Attempt attempt, const LockWait& wait, const std::string& waiting, const std::string& busy) {
  const auto deadline = std::chrono::steady_clock::now() + wait.total;
  bool told = false;
  for (;;) {
    if (std::optional<platform::FileLock> lock = attempt()) return std::move(*lock);
    if (std::chrono::steady_clock::now() >= deadline) throw TransferBusyError(busy);
    if (!told && wait.onWaiting) wait.onWaiting(waiting);
    told = true;
    std::this_thread::sleep_for(wait.poll);
  }
}

}  // namespace

TransferLock TransferLock::ForExchangeFolder(const fs::path& folder, Use use, const LockWait& wait) {
  const fs::path file = folder / std::string(kTransferLockName);
  const std::string named = platform::Quoted(folder);
  try {
    return TransferLock(WaitFor([&] { return platform::FileLock::TryExclusiveCreating(file); }, wait,
                                "Esperando a que termine otra transferencia en la carpeta " + named,
                                "Otra transferencia de Pontexa está usando la carpeta " + named +
                                    ". Inténtelo de nuevo cuando termine."));
  } catch (const TransferBusyError&) {
    throw;
  } catch (const pontexa::Error& error) {
    std::error_code ignored;
    if (use == Use::Read && !fs::exists(fs::symlink_status(file, ignored))) return TransferLock(std::nullopt);
    throw pontexa::Error("No se puede reservar la carpeta de intercambio " + named + ": " + error.what());
  }
}

TransferLock TransferLock::ForSagaFile(const fs::path& file, const LockWait& wait) {
  const fs::path real = platform::FinalTarget(file);
  const fs::path folder = real.parent_path().empty() ? fs::path(".") : real.parent_path();
  const std::string named = platform::Quoted(file);
  return TransferLock(WaitFor([&] { return platform::FileLock::TryExclusiveFolder(folder); }, wait,
                              "Esperando a que termine otra importación en el archivo " + named,
                              "Otra importación de Pontexa está usando el archivo " + named +
                                  ". Inténtelo de nuevo cuando termine."));
}

}  // namespace pontexa::tables
