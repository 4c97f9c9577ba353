#include <gtest/gtest.h>

#include <filesystem>

#include "platform/faults.h"
#include "saga/document.h"
#include "support/temp_folder.h"

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
#ifndef _WIN32  // Windows keeps no mode bits, only the read-only attribute
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
#endif
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

TEST(Saving, AFailureAtAnyStepLeavesTheOriginalAndNoTemporaryFile) {
  for (const Operation failing : {Operation::Open, Operation::Write, Operation::Sync, Operation::Rename}) {
    testing::TempFolder folder;
    const fs::path file = folder / "escuela.xml";
    testing::WriteBytes(file, kOriginal);
    Document doc = Modified(file);
    {
      platform::faults::Scoped faults([&](Operation op, const std::string&) { return op == failing; });
      try {
        doc.Save();
        ADD_FAILURE() << "expected a failure for operation " << static_cast<int>(failing);
      } catch (const DocumentError& error) {
        EXPECT_NE(std::string(error.what()).find("escuela.xml"), std::string::npos) << error.what();
      }
    }
    EXPECT_EQ(testing::ReadBytes(file), kOriginal);
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"escuela.xml"});
  }
}

TEST(Saving, AReadOnlyFolderIsAnErrorAndChangesNothing) {
  testing::TempFolder folder;
  const fs::path sub = folder / "solo-lectura";
  fs::create_directory(sub);
  const fs::path file = sub / "escuela.xml";
  testing::WriteBytes(file, kOriginal);
  Document doc = Modified(file);
  fs::permissions(sub, fs::perms::owner_read | fs::perms::owner_exec);
  bool writable = true;
  try {
    testing::WriteBytes(sub / ".probe", "x");
  } catch (...) {
    writable = false;
  }
  if (writable) {  // running as root: permissions do not stop us
    fs::permissions(sub, fs::perms::owner_all);
    fs::remove(sub / ".probe");
    GTEST_SKIP() << "the folder stays writable for this user";
  }
  EXPECT_THROW(doc.Save(), DocumentError);
  fs::permissions(sub, fs::perms::owner_all);
  EXPECT_EQ(testing::ReadBytes(file), kOriginal);
  EXPECT_EQ(FolderEntries(sub), std::vector<std::string>{"escuela.xml"});
}

}  // namespace
}  // namespace pontexa::saga
