// Any bytes as a SAGA file, then a full export. Besides "no crash, only
// pontexa::Error", three promises are checked on every input:
//  - a document that parsed serializes to bytes that parse again;
//  - a failed export leaves the six tables of the folder byte for byte as
//    they were;
//  - a finished export leaves six tables that the reader opens and reads.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "export/exportador.h"
#include "platform/error.h"
#include "saga/document.h"
#include "scratch_folder.h"
#include "tables/layouts.h"
#include "tables/table.h"
#include "tables/transfer_lock.h"
#include "text/numbers.h"
#include "platform/utf8_path.h"

using namespace pontexa;

namespace {

constexpr std::array<const char*, 6> kTables{"ASIGNOMT", "PROFT", "AULAT", "GRUPOST", "ASIGT", "DIASHORAST"};

std::array<std::string, 6> Snapshot(const fuzzing::ScratchFolder& folder) {
  std::array<std::string, 6> bytes;
  for (std::size_t i = 0; i < kTables.size(); ++i) bytes[i] = fuzzing::Get(folder / (std::string(kTables[i]) + ".DBF"));
  return bytes;
}

void ReadBack(const fuzzing::ScratchFolder& folder, const text::RegionalSettings& settings) {
  for (const tables::TableLayout* layout : tables::ExportedLayouts()) {
    try {
      tables::Table table(folder.Path(), std::string(layout->name), settings);
      table.Open();
      for (table.First(); !table.Eof(); table.Next()) {
        for (const tables::FieldDef& field : layout->fields) (void)table.FieldByName(field.name).AsString();
      }
    } catch (const pontexa::Error& error) {
      fuzzing::Broken("exported table unreadable", error.what());
    }
  }
}

// Staging files and journals must be gone once Exportar returns or throws;
// the transfer lock's file stays by design.
void OnlyTablesLeft(const fuzzing::ScratchFolder& folder) {
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
    const std::string name = pontexa::platform::Utf8(entry.path().filename());
    bool table = name == tables::kTransferLockName;
    for (const char* wanted : kTables) table = table || name == std::string(wanted) + ".DBF";
    if (!table) fuzzing::Broken("file left in the exchange folder", name);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const fuzzing::ScratchFolder scratch("exportacion");
  const text::RegionalSettings settings{','};

  std::optional<saga::Document> document;
  try {
    document.emplace(saga::Document::Parse(std::string(fuzzing::AsText(data, size)), scratch / "saga.xml"));
  } catch (const pontexa::Error&) {
    return 0;
  }

  std::string serialized;
  try {
    serialized = document->Serialize();
  } catch (const pontexa::Error&) {
    // A document that cannot be written back is reported, not crashed on.
  }
  if (!serialized.empty()) {
    try {
      (void)saga::Document::Parse(serialized, scratch / "again.xml");
    } catch (const pontexa::Error& error) {
      fuzzing::Broken("serialized document does not parse", error.what());
    }
  }

  const std::array<std::string, 6> before = Snapshot(scratch);
  bool finished = false;
  try {
    (void)exportacion::Exportar(*document, scratch.Path(), settings);
    finished = true;
  } catch (const pontexa::Error&) {
    if (Snapshot(scratch) != before) fuzzing::Broken("failed export", "changed the tables");
  }
  OnlyTablesLeft(scratch);
  if (finished) ReadBack(scratch, settings);
  return 0;
}
