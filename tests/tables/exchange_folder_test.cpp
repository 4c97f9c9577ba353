#include "tables/exchange_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/utf8_path.h"
#include "support/environment.h"
#include "support/temp_folder.h"

namespace pontexa::tables {
namespace {

namespace fs = std::filesystem;
using testing::ScopedEnv;
using testing::TempFolder;

// Off Windows, C: stands for a folder the environment names.
#ifndef _WIN32
TEST(ExchangeFolder, DriveCComesFromTheEnvironmentInOrder) {
  ScopedEnv home("HOME", "/home/ana");
  {
    ScopedEnv unidad("PONTEXA_UNIDAD_C", "/srv/unidad");
    ScopedEnv wine("WINEPREFIX", "/opt/wine");
    EXPECT_EQ(DriveCRoot(), fs::path("/srv/unidad"));
  }
  {
    ScopedEnv unidad("PONTEXA_UNIDAD_C", std::nullopt);
    ScopedEnv wine("WINEPREFIX", "/opt/wine");
    EXPECT_EQ(DriveCRoot(), fs::path("/opt/wine/drive_c"));
  }
  {
    ScopedEnv unidad("PONTEXA_UNIDAD_C", "");
    ScopedEnv wine("WINEPREFIX", std::nullopt);
    EXPECT_EQ(DriveCRoot(), fs::path("/home/ana/.wine/drive_c"));
  }
}

TEST(ExchangeFolder, WindowsPathsFindFoldersInAnyCase) {
  TempFolder drive;
  fs::create_directories(drive / "Qorda" / "SAGA");
  ScopedEnv unidad("PONTEXA_UNIDAD_C", platform::Utf8(drive.Path()));
  EXPECT_EQ(ExchangeFolder(), drive / "Qorda");
  EXPECT_EQ(MapWindowsPath("C:\\QORDA"), drive / "Qorda");
  EXPECT_EQ(MapWindowsPath("c:\\qorda\\saga"), drive / "Qorda" / "SAGA");
  EXPECT_EQ(MapWindowsPath("c:/qorda/saga/"), drive / "Qorda" / "SAGA");
  // What does not exist is named as written, and not created.
  EXPECT_EQ(MapWindowsPath("c:\\qorda\\nueva\\Sub"), drive / "Qorda" / "nueva" / "Sub");
  EXPECT_FALSE(fs::exists(drive / "Qorda" / "nueva"));
}

TEST(ExchangeFolder, FolderIsNeverCreated) {
  TempFolder drive;
  ScopedEnv unidad("PONTEXA_UNIDAD_C", platform::Utf8(drive.Path()));
  EXPECT_EQ(ExchangeFolder(), drive / "QORDA");
  EXPECT_FALSE(fs::exists(drive / "QORDA"));
}
#endif

#ifdef _WIN32
TEST(ExchangeFolder, IsTheRealQordaOfDriveC) {
  EXPECT_EQ(platform::Utf8(ExchangeFolder()), "C:\\QORDA");
  EXPECT_EQ(platform::Utf8(MapWindowsPath("D:\\Datos")), "D:\\Datos");
}
#endif

TEST(ExchangeFolder, TableFilesAreFoundInAnyCase) {
  TempFolder folder;
  testing::WriteBytes(folder / "soluc.dbf", "x");
  testing::WriteBytes(folder / "Proft.DBF", "x");
  testing::WriteBytes(folder / "AULAT.DBF.bak", "x");
  EXPECT_EQ(FindTableFile(folder.Path(), "SOLUC"), folder / "soluc.dbf");
  EXPECT_EQ(FindTableFile(folder.Path(), "proft"), folder / "Proft.DBF");
  EXPECT_EQ(FindTableFile(folder.Path(), "PROFT.DBF"), folder / "Proft.DBF");
  EXPECT_FALSE(FindTableFile(folder.Path(), "AULAT"));
  EXPECT_FALSE(FindTableFile(folder / "falta", "SOLUC"));
}

TEST(ExchangeFolder, ExactSpellingWins) {
#ifdef _WIN32
  GTEST_SKIP() << "two spellings of one name cannot live side by side on Windows";
#endif
  TempFolder folder;
  testing::WriteBytes(folder / "soluc.dbf", "x");
  testing::WriteBytes(folder / "SOLUC.DBF", "x");
  EXPECT_EQ(FindIgnoringCase(folder.Path(), "SOLUC.DBF"), folder / "SOLUC.DBF");
  EXPECT_EQ(FindIgnoringCase(folder.Path(), "soluc.dbf"), folder / "soluc.dbf");
  // Neither spelling exact: the same one every time.
  EXPECT_EQ(FindIgnoringCase(folder.Path(), "Soluc.Dbf"), folder / "SOLUC.DBF");
}

TEST(ExchangeFolder, AccentedNamesMatchIgnoringCase) {
  TempFolder folder;
  testing::WriteBytes(folder / "ÁREAS.DBF", "x");
  EXPECT_EQ(FindIgnoringCase(folder.Path(), "áreas.dbf"), folder / "ÁREAS.DBF");
}

}  // namespace
}  // namespace pontexa::tables
