#pragma once

// Whether a crash left a replacement of tables half done in `folder`: the
// next transfer would finish it first. Only looks; changes nothing.

#include <filesystem>

namespace pontexa::tables {

bool ReplacementPending(const std::filesystem::path& folder);

}  // namespace pontexa::tables
