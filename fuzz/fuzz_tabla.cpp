// Any bytes as a dBase table: opening it, walking its records and reading
// every field in the three ways the system reads fields must either work or
// raise pontexa::Error; nothing else may escape, and no sanitizer may speak.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/error.h"
#include "scratch_folder.h"
#include "tables/dbf_header.h"
#include "tables/table.h"
#include "text/numbers.h"

using namespace pontexa;

namespace {

// The names to read: those the header announces, when it parses; a few the
// system reads anyway, so a broken header still gets its fields asked for.
std::vector<std::string> FieldNames(std::string_view bytes) {
  std::vector<std::string> names{"DIA", "HORA", "SESIONES", "ASIG"};
  try {
    for (const auto& field : tables::dbf::ParseHeader(bytes).fields) names.push_back(field.name);
  } catch (const tables::dbf::FormatError&) {
  }
  return names;
}

void ReadEveryWay(const tables::Field& field) {
  try { (void)field.AsString(); } catch (const pontexa::Error&) {}
  try { (void)field.AsInteger(); } catch (const pontexa::Error&) {}
  try { (void)field.AsFloat(); } catch (const pontexa::Error&) {}
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const fuzzing::ScratchFolder scratch("tabla");
  const std::string_view bytes = fuzzing::AsText(data, size);
  fuzzing::Put(scratch / "T.DBF", bytes);
  const std::vector<std::string> names = FieldNames(bytes);

  // The decimal separator follows the last byte, so both settings get their share.
  const text::RegionalSettings settings{size > 0 && (data[size - 1] & 1) ? ',' : '.'};
  try {
    tables::Table table(scratch.Path(), "T", settings);
    table.Open();
    const std::size_t count = table.RecordCount();
    std::size_t walked = 0;
    for (table.First(); !table.Eof(); table.Next()) {
      (void)table.RecordNumber();
      for (const std::string& name : names) {
        if (table.HasField(name)) ReadEveryWay(table.FieldByName(name));
      }
      if (++walked > count) fuzzing::Broken("walk", "more records walked than RecordCount()");
    }
    if (walked != count) fuzzing::Broken("walk", "fewer records walked than RecordCount()");

    // The lookup walk over the first field: find the first record's value
    // again, and a value nobody holds.
    if (names.size() > 4 && table.HasField(names[4])) {
      std::string first;
      table.First();
      if (!table.Eof()) first = table.FieldByName(names[4]).AsString();
      if (count > 0 && !table.Locate(names[4], first)) fuzzing::Broken("locate", "first record's value not found");
      (void)table.Locate(names[4], std::string("\x01\x02no-such-value", 15));
      if (!table.Eof()) fuzzing::Broken("locate", "a failed lookup does not stand at the end");
    }
    table.Close();
  } catch (const pontexa::Error&) {
  }
  return 0;
}
