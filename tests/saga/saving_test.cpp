#include <gtest/gtest.h>

#include <filesystem>

#include "platform/faults.h"
#include "saga/document.h"
#include "support/temp_folder.h"
#include "support/usuario_comun.h"

namespace pontexa::saga {
namespace {

namespace fs = std::filesystem;
using platform::faults::Operation;

const std::string kOriginal =
    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<document>\r\n  <subjects><subject id=\"1\" "
    "name=\"F\xEDsica\"/></subjects>\r\n</document>\r\n";

std::vector<std::string> FolderEntries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

Document Modified(const fs::path& file) {
  Document doc = Document::Load(file);
  Element section = doc.CreateElement("time-tables");
  doc.DocumentElement().AppendChild(section);
  section.SetAttribute("note", "\x80");
  return doc;
}

TEST(Saving, SaveReplacesTheFileAndKeepsItsPermissions) {
  testing::TempFolder folder;
  const fs::path file = folder / "escuela.xml";
  testing::WriteBytes(file, kOriginal);
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  Modified(file).Save();
  EXPECT_EQ(testing::ReadBytes(file),
            "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<document>\r\n  <subjects><subject id=\"1\" "
            "name=\"F\xEDsica\"/></subjects><time-tables note=\"&#8364;\"/>\r\n</document>\r\n");
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"escuela.xml"});
}

TEST(Saving, SaveToWritesElsewhereAndLeavesTheOriginal) {
  testing::TempFolder folder;
  testing::WriteBytes(folder / "escuela.xml", kOriginal);
  const Document doc = Document::Load(folder / "escuela.xml");
  doc.SaveTo(folder / "copia.xml");
  EXPECT_EQ(testing::ReadBytes(folder / "copia.xml"), kOriginal);
  EXPECT_EQ(testing::ReadBytes(folder / "escuela.xml"), kOriginal);
}

// Each failure is one sentence naming the user's file (never the temporary
// beside it) and why, said once.
TEST(Saving, AFailureAtAnyStepLeavesTheOriginalAndNoTemporaryFile) {
  const struct {
    Operation failing;
    const char* why;
  } cases[] = {
      {Operation::Open, "no se puede crear un archivo nuevo en su carpeta (Permiso denegado)"},
      {Operation::Write, "No queda espacio en el disco"},
      {Operation::Sync, "Error de entrada/salida"},
      {Operation::Rename, "Permiso denegado"},
  };
  for (const auto& c : cases) {
    testing::TempFolder folder;
    const fs::path file = folder / "escuela.xml";
    testing::WriteBytes(file, kOriginal);
    Document doc = Modified(file);
    {
      platform::faults::Scoped faults([&](Operation op, const std::string&) { return op == c.failing; });
      try {
        doc.Save();
        ADD_FAILURE() << "expected a failure for operation " << static_cast<int>(c.failing);
      } catch (const DocumentError& error) {
        EXPECT_EQ(std::string(error.what()), "No se puede guardar '" + file.string() + "': " + c.why);
      }
    }
    EXPECT_EQ(testing::ReadBytes(file), kOriginal);
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"escuela.xml"});
  }
}

TEST(Saving, AReadOnlyFileIsRefusedInOneSentence) {
  testing::TempFolder folder;
  const fs::path file = folder / "escuela.xml";
  testing::WriteBytes(file, kOriginal);
  Document doc = Modified(file);
  fs::permissions(file, fs::perms::owner_read | fs::perms::group_read);
  try {
    doc.Save();
    ADD_FAILURE() << "a read-only file was replaced";
  } catch (const DocumentError& error) {
    EXPECT_EQ(std::string(error.what()), "No se puede guardar '" + file.string() + "': el archivo es de solo lectura");
  }
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(testing::ReadBytes(file), kOriginal);
}

TEST(Saving, AReadOnlyFolderIsAnErrorAndChangesNothing) {
  testing::TempFolder folder;
  const fs::path sub = folder / "solo-lectura";
  fs::create_directory(sub);
  const fs::path file = sub / "escuela.xml";
  testing::WriteBytes(file, kOriginal);
  Document doc = Modified(file);
  const fs::perms readAndEnter = fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                 fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec;
  fs::permissions(folder.Path(), readAndEnter | fs::perms::owner_write);
  fs::permissions(sub, readAndEnter);
  // Root writes into any folder: the save runs as a user the rights bind.
  const testing::ResultadoComun result = testing::ComoUsuarioComun([&] { doc.Save(); });
  fs::permissions(sub, fs::perms::owner_all);
  if (!result.omitido.empty()) GTEST_SKIP() << result.omitido;
  EXPECT_EQ(result.fallo, "No se puede guardar '" + file.string() +
                              "': no se puede crear un archivo nuevo en su carpeta (Permiso denegado)");
  EXPECT_EQ(testing::ReadBytes(file), kOriginal);
  EXPECT_EQ(FolderEntries(sub), std::vector<std::string>{"escuela.xml"});
}

}  // namespace
}  // namespace pontexa::saga
