#include "tables/transfer_lock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/faults.h"
#include "support/temp_folder.h"

namespace pontexa::tables {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::TempFolder;

LockWait Short(std::vector<std::string>* told = nullptr) {
  LockWait wait;
  wait.total = 300ms;
  wait.poll = 20ms;
  if (told) wait.onWaiting = [told](const std::string& message) { told->push_back(message); };
  return wait;
}

TEST(TransferLock, ASecondTransferWaitsOnceTellingSoThenFailsNamingTheFolder) {
  TempFolder folder;
  const TransferLock first = TransferLock::ForExchangeFolder(folder.Path(), TransferLock::Use::Write);
  ASSERT_TRUE(first.Held());
  std::vector<std::string> told;
  const auto start = std::chrono::steady_clock::now();
  try {
    TransferLock::ForExchangeFolder(folder.Path(), TransferLock::Use::Read, Short(&told));
    FAIL();
  } catch (const TransferBusyError& error) {
    EXPECT_EQ(std::string(error.what()), "Otra transferencia de Pontexa está usando la carpeta '" +
                                             folder.Path().string() + "'. Inténtelo de nuevo cuando termine.");
  }
  EXPECT_GE(std::chrono::steady_clock::now() - start, 300ms);
  ASSERT_EQ(told.size(), 1u);  // once, however many polls
  EXPECT_EQ(told[0], "Esperando a que termine otra transferencia en la carpeta '" + folder.Path().string() + "'");
}

TEST(TransferLock, TheFolderIsFreeOnceTheHolderGoesAndTheLockFileStays) {
  TempFolder folder;
  { const TransferLock first = TransferLock::ForExchangeFolder(folder.Path(), TransferLock::Use::Write); }
  std::vector<std::string> told;
  EXPECT_TRUE(TransferLock::ForExchangeFolder(folder.Path(), TransferLock::Use::Write, Short(&told)).Held());
  EXPECT_TRUE(told.empty());
  EXPECT_TRUE(fs::is_regular_file(folder / std::string(kTransferLockName)));
}

// An import only reads the folder: where no lock file exists and none can be
// made (a read-only folder, a CD), it reads unlocked; an export cannot.
TEST(TransferLock, AFolderWhereNoLockFileCanBeMadeIsStillReadable) {
  TempFolder folder;
  platform::faults::Scoped noCreate([](platform::faults::Operation op, const std::string& path) {
    return op == platform::faults::Operation::Open && path.ends_with(std::string(kTransferLockName));
  });
  EXPECT_FALSE(TransferLock::ForExchangeFolder(folder.Path(), TransferLock::Use::Read, Short()).Held());
  try {
    TransferLock::ForExchangeFolder(folder.Path(), TransferLock::Use::Write, Short());
    FAIL();
  } catch (const pontexa::Error& error) {
    EXPECT_NE(std::string(error.what()).find("PONTEXA.BLOQUEO"), std::string::npos) << error.what();
  }
}

#ifndef _WIN32  // Windows cannot lock a folder; its imports into one SAGA file rely on the exchange folder's lock
TEST(TransferLock, TwoImportsIntoOneSagaFileDoNotRunAtOnce) {
  TempFolder folder;
  const fs::path saga = folder / "centro.xml";
  const TransferLock first = TransferLock::ForSagaFile(saga);
  std::vector<std::string> told;
  EXPECT_THROW(TransferLock::ForSagaFile(saga, Short(&told)), TransferBusyError);
  EXPECT_EQ(told.size(), 1u);
  EXPECT_TRUE(fs::is_empty(folder.Path()));  // nothing beside the file
}
#endif

}  // namespace
}  // namespace pontexa::tables
