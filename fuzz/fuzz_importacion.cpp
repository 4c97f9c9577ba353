// Fuzzed SOLUC and DIASHORAST against a fixed small SAGA file and the tables
// its export made. The input is split: the first two bytes (little endian)
// give the length of the SOLUC part, the rest is DIASHORAST.
//
// Promises checked besides "no crash, only pontexa::Error": a failed import
// leaves the SAGA file byte for byte as it was; a finished one leaves a file
// that parses again with exactly one time-tables section, the last child;
// the import never writes a table.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "export/exportador.h"
#include "import/importador.h"
#include "platform/error.h"
#include "saga/document.h"
#include "scratch_folder.h"
#include "text/numbers.h"
#include "platform/utf8_path.h"

using namespace pontexa;

namespace {

// ISO-8859-1 on purpose: the save must write the file back in its own encoding.
constexpr std::string_view kSaga =
    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
    "<!-- centro de pruebas -->\n"
    "<document>\n"
    "  <subjects>\n"
    "    <subject id=\"1001\" name=\"Matem\xe1ticas\" hours=\"4\"/>\n"
    "    <subject id=\"1002\" name=\"Lengua\" hours=\"3\"/>\n"
    "    <subject id=\"1003\" name=\"Tutor\xed" "a\"/>\n"
    "  </subjects>\n"
    "  <teachers>\n"
    "    <teacher id=\"P01\">Luc\xed" "a Fern\xe1ndez Soto</teacher>\n"
    "    <teacher id=\"P02\">Luis Fuentes Sanz</teacher>\n"
    "  </teachers>\n"
    "  <locations>\n"
    "    <location id=\"L01\">Aula 1</location>\n"
    "    <location id=\"L02\">Laboratorio</location>\n"
    "  </locations>\n"
    "  <groups>\n"
    "    <group id=\"G01\" regim=\"ORD-M\" name=\"ESO 1A\">Primero de ESO A\n"
    "      <assigned-subjects>\n"
    "        <assigned-subject id=\"1001\"><assigned-teachers><assigned-teacher id=\"P01\"/></assigned-teachers></assigned-subject>\n"
    "        <assigned-subject id=\"1002\"><assigned-teachers><assigned-teacher id=\"P02\"/></assigned-teachers></assigned-subject>\n"
    "      </assigned-subjects>\n"
    "    </group>\n"
    "    <group id=\"G02\" regim=\"ORD-T\" name=\"BAC 2B\">Segundo de Bachillerato B\n"
    "      <assigned-subjects>\n"
    "        <assigned-subject id=\"1003\"><assigned-teachers><assigned-teacher id=\"P01\"/></assigned-teachers></assigned-subject>\n"
    "      </assigned-subjects>\n"
    "    </group>\n"
    "  </groups>\n"
    "  <time-tables><time-table id=\"old\"/></time-tables>\n"
    "</document>\n";

constexpr std::array<const char*, 4> kLookupTables{"ASIGNOMT.DBF", "PROFT.DBF", "AULAT.DBF", "GRUPOST.DBF"};

struct Fixture {
  fuzzing::ScratchFolder folder{"importacion"};
  std::array<std::string, 4> lookups;

  Fixture() {
    const saga::Document document = saga::Document::Parse(std::string(kSaga), folder / "saga.xml");
    (void)exportacion::Exportar(document, folder.Path(), text::RegionalSettings{','});
    for (std::size_t i = 0; i < lookups.size(); ++i) lookups[i] = fuzzing::Get(folder / kLookupTables[i]);
  }
};

void CheckImported(const std::string& bytes, const fuzzing::ScratchFolder& folder) {
  try {
    const saga::Document again = saga::Document::Parse(bytes, folder / "again.xml");
    const saga::Element root = again.DocumentElement();
    const auto sections = root.SelectNodes("time-tables");
    if (sections.size() != 1) fuzzing::Broken("import", "not exactly one time-tables section");
    if (!sections.front().SelectSingleNode("time-table")) fuzzing::Broken("import", "time-tables without time-table");
  } catch (const pontexa::Error& error) {
    fuzzing::Broken("imported file does not parse", error.what());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const Fixture fixture;
  const fuzzing::ScratchFolder& folder = fixture.folder;
  const std::string_view input = fuzzing::AsText(data, size);
  if (input.size() < 2) return 0;
  const std::size_t solucLength =
      std::min<std::size_t>(input.size() - 2, static_cast<std::uint8_t>(input[0]) | static_cast<std::uint8_t>(input[1]) << 8);
  fuzzing::Put(folder / "SOLUC.DBF", input.substr(2, solucLength));
  fuzzing::Put(folder / "DIASHORAST.DBF", input.substr(2 + solucLength));
  const std::filesystem::path saga = folder / "saga.xml";
  fuzzing::Put(saga, kSaga);

  const text::RegionalSettings settings{(size & 1) ? ',' : '.'};
  bool finished = false;
  try {
    (void)importacion::ImportarArchivo(saga, folder.Path(), settings);
    finished = true;
  } catch (const pontexa::Error&) {
  }
  const std::string after = fuzzing::Get(saga);
  if (!finished && after != kSaga) fuzzing::Broken("failed import", "changed the SAGA file");
  if (finished) CheckImported(after, folder);
  for (std::size_t i = 0; i < kLookupTables.size(); ++i) {
    if (fuzzing::Get(folder / kLookupTables[i]) != fixture.lookups[i]) fuzzing::Broken("import", "wrote a table");
  }
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
    const std::string name = pontexa::platform::Utf8(entry.path().filename());
    if (!name.empty() && name.front() == '.') fuzzing::Broken("file left beside the SAGA file", name);
  }
  return 0;
}
