#include "tables/replacement_pending.h"

#include <string_view>
#include <system_error>

namespace pontexa::tables {

namespace {
// The journal TableReplacement keeps while it switches tables.
constexpr std::string_view kJournalName = "PONTEXA.DIARIO";
}  // namespace

bool ReplacementPending(const std::filesystem::path& folder) {
  std::error_code error;
  return std::filesystem::exists(folder / kJournalName, error);
}

}  // namespace pontexa::tables
