#include "platform/files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <iterator>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "platform/error.h"
#include "platform/faults.h"
#include "platform/utf8_path.h"
#include "support/temp_folder.h"
#include "support/usuario_comun.h"

#ifdef _WIN32
#include <windows.h>
#endif

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
#ifdef _WIN32
  GTEST_SKIP() << "a folder's read-only attribute does not stop writing on Windows (only ACLs do)";
#endif
  TempFolder folder;
  const fs::path target = folder / "saga.xml";
  WriteBytes(target, "original");
  fs::permissions(folder.Path(), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                     fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  const testing::ResultadoComun result = testing::ComoUsuarioComun([&] {
    AtomicFile file(target);
    file.Write("replacement");
    file.Commit();
  });
  fs::permissions(folder.Path(), fs::perms::owner_all, fs::perm_options::add);
  if (!result.omitido.empty()) GTEST_SKIP() << result.omitido;
  EXPECT_EQ(result.fallo,
            "No se puede guardar " + Quoted(target) + ": no se puede crear un archivo nuevo en su carpeta (Permiso denegado)");
  EXPECT_EQ(ReadBytes(target), "original");
  EXPECT_EQ(EntriesIn(folder.Path()), 1u);
}

// A second save of the same file (another process, or the next run after a
// killed one) removes only temporaries nobody is writing; the one being
// written stays locked, and on Windows that lock must not stop its rename.
TEST(AtomicFile, ALaterSaveRemovesAbandonedTemporariesButNotALiveOne) {
  TempFolder folder;
  const fs::path target = folder / "Mirvane.ini";
  WriteBytes(target, "old");
  const fs::path abandoned = folder / ".Mirvane.ini.pontexa.0badcafe.tmp";
  WriteBytes(abandoned, "left by a killed run");
  AtomicFile first(target);
  first.Write("first");
  {
    AtomicFile second(target);
    EXPECT_FALSE(fs::exists(abandoned));
    EXPECT_EQ(EntriesIn(folder.Path()), 3u);  // the target and both live temporaries
    second.Write("second");
    second.Commit();
  }
  EXPECT_EQ(ReadBytes(target), "second");
  first.Commit();
  EXPECT_EQ(ReadBytes(target), "first");
  EXPECT_EQ(EntriesIn(folder.Path()), 1u);
}

#ifdef _WIN32
// The read-only attribute is what Windows users set (Explorer's checkbox).
TEST(AtomicFile, TheReadOnlyAttributeIsRefusedOnWindows) {
  TempFolder folder;
  const fs::path target = folder / "saga.xml";
  WriteBytes(target, "original");
  ASSERT_TRUE(SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_THROW(AtomicFile file(target), Error);
  SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadBytes(target), "original");
}
#endif

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

#ifndef _WIN32  // FIFOs and symbolic links (which need privileges there) are POSIX matters
TEST(ReadFile, SomethingThatIsNoFileIsRefusedAtOnceNamingIt) {
  TempFolder folder;
  const fs::path fifo = folder / "tuberia.dbf";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);  // opening it would wait for a writer
  fs::create_directory(folder / "carpeta.xml");
  const struct {
    fs::path path;
    const char* reason;
  } cases[] = {{fifo, "no es un archivo normal"}, {folder / "carpeta.xml", "es una carpeta"}};
  for (const auto& c : cases) {
    try {
      ReadFile(c.path);
      FAIL() << c.path;
    } catch (const Error& error) {
      EXPECT_NE(std::string(error.what()).find(c.path.filename().string()), std::string::npos) << error.what();
      EXPECT_NE(std::string(error.what()).find(c.reason), std::string::npos) << error.what();
    }
  }
}

// The link stays a link and keeps pointing where it did; the file it names
// is replaced in its own folder, with no temporary left beside either.
TEST(AtomicFile, ALinkedTargetIsReplacedWhereItIs) {
  TempFolder folder;
  fs::create_directory(folder / "real");
  WriteBytes(folder / "real" / "centro.xml", "viejo");
  fs::create_symlink("real/centro.xml", folder / "enlace.xml");
  fs::create_symlink("enlace.xml", folder / "enlace2.xml");  // a link to a link
  {
    AtomicFile file(folder / "enlace2.xml");
    file.Write("nuevo");
    file.Commit();
  }
  EXPECT_TRUE(fs::is_symlink(folder / "enlace.xml"));
  EXPECT_TRUE(fs::is_symlink(folder / "enlace2.xml"));
  EXPECT_EQ(fs::read_symlink(folder / "enlace.xml"), "real/centro.xml");
  EXPECT_EQ(ReadBytes(folder / "real" / "centro.xml"), "nuevo");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder / "real"), fs::directory_iterator()), 1);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 3);
}
#endif

TEST(ExecutablePath, NamesThisTestProgram) {
  EXPECT_EQ(ExecutablePath().stem(), "pontexa_platform_tests");  // .exe on Windows
  EXPECT_TRUE(ExecutablePath().is_absolute());
}

}  // namespace
}  // namespace pontexa::platform
