#include "platform/files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "platform/error.h"
#include "platform/faults.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace pontexa::platform {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

std::size_t EntriesIn(const fs::path& folder) {
  return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(AtomicFile, ReplacesTheTargetAndKeepsItsPermissions) {
  TempFolder folder;
  const fs::path target = folder / "saga.xml";
  WriteBytes(target, "old");
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  {
    AtomicFile file(target);
    file.Write("new ");
    file.Write("content");
    EXPECT_EQ(ReadBytes(target), "old");  // nothing visible before the commit
    file.Commit();
  }
  EXPECT_EQ(ReadBytes(target), "new content");
#ifndef _WIN32  // Windows keeps no mode bits, only the read-only attribute
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
#endif
  EXPECT_EQ(EntriesIn(folder.Path()), 1u);
}

TEST(AtomicFile, AFailureAtAnyPointLeavesTheOriginalAndNoTemporary) {
  for (const faults::Operation failing : {faults::Operation::Open, faults::Operation::Write,
                                          faults::Operation::Sync, faults::Operation::Rename}) {
    TempFolder folder;
    const fs::path target = folder / "saga.xml";
    WriteBytes(target, "original");
    faults::Scoped fault([&](faults::Operation op, const std::string&) { return op == failing; });
    EXPECT_THROW(
        {
          AtomicFile file(target);
          file.Write("replacement");
          file.Commit();
        },
        Error);
    EXPECT_EQ(ReadBytes(target), "original");
    EXPECT_EQ(EntriesIn(folder.Path()), 1u) << static_cast<int>(failing);
  }
}

TEST(AtomicFile, AReadOnlyTargetIsRefusedAndKept) {
  TempFolder folder;
  const fs::path target = folder / "saga.xml";
  WriteBytes(target, "original");
  fs::permissions(target, fs::perms::owner_read | fs::perms::group_read);
  try {
    AtomicFile file(target);
    FAIL();
  } catch (const Error& error) {
    EXPECT_NE(std::string(error.what()).find("solo lectura"), std::string::npos) << error.what();
  }
  fs::permissions(target, fs::perms::owner_all);
  EXPECT_EQ(ReadBytes(target), "original");
  EXPECT_EQ(EntriesIn(folder.Path()), 1u);
}

TEST(AtomicFile, AnObjectDroppedWithoutCommitLeavesNothing) {
  TempFolder folder;
  { AtomicFile file(folder / "new.ini"); file.Write("x"); }
  EXPECT_EQ(EntriesIn(folder.Path()), 0u);
}

TEST(AtomicFile, AFullDiskIsReportedInSpanishWithTheFile) {
  TempFolder folder;
  faults::Scoped fault([](faults::Operation op, const std::string&) { return op == faults::Operation::Write; });
  try {
    AtomicFile file(folder / "saga.xml");
    file.Write("x");
    FAIL();
  } catch (const Error& error) {
    EXPECT_NE(std::string(error.what()).find("No queda espacio en el disco"), std::string::npos) << error.what();
    EXPECT_NE(std::string(error.what()).find("saga.xml"), std::string::npos) << error.what();
  }
}

TEST(AtomicFile, AReadOnlyFolderFailsBeforeTouchingTheTarget) {
  TempFolder folder;
  const fs::path target = folder / "saga.xml";
  WriteBytes(target, "original");
  fs::permissions(folder.Path(), fs::perms::owner_read | fs::perms::owner_exec);
  if (std::FILE* probe = std::fopen((folder / "probe").string().c_str(), "w")) {
    std::fclose(probe);
    fs::permissions(folder.Path(), fs::perms::owner_all);
    GTEST_SKIP() << "this user writes into read-only folders (root)";
  }
  EXPECT_THROW(AtomicFile file(target), Error);
  fs::permissions(folder.Path(), fs::perms::owner_all);
  EXPECT_EQ(ReadBytes(target), "original");
}

TEST(FileLock, IsExclusiveUntilReleased) {
  TempFolder folder;
  const fs::path table = folder / "SOLUC.DBF";
  WriteBytes(table, "x");
  std::optional<FileLock> first = FileLock::TryExclusive(table);
  ASSERT_TRUE(first.has_value());
  EXPECT_FALSE(FileLock::TryExclusive(table).has_value());
  first.reset();
  EXPECT_TRUE(FileLock::TryExclusive(table).has_value());
  EXPECT_THROW(FileLock::TryExclusive(folder / "missing.dbf"), Error);
}

TEST(ReadFile, ReadsEveryByteAndNamesAMissingFile) {
  TempFolder folder;
  const std::string bytes("a\0b\r\n\x1A", 6);
  WriteBytes(folder / "f", bytes);
  EXPECT_EQ(ReadFile(folder / "f"), bytes);
  try {
    ReadFile(folder / "nada.xml");
    FAIL();
  } catch (const Error& error) {
    EXPECT_NE(std::string(error.what()).find("nada.xml"), std::string::npos);
  }
}

TEST(ExecutablePath, NamesThisTestProgram) {
  EXPECT_EQ(ExecutablePath().stem(), "pontexa_platform_tests");  // .exe on Windows
  EXPECT_TRUE(ExecutablePath().is_absolute());
}

}  // namespace
}  // namespace pontexa::platform
