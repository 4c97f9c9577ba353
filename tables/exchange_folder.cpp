#include "tables/exchange_folder.h"

#include <algorithm>
#include <system_error>
#include <vector>

#include "platform/files.h"
#include "text/cp1252.h"
#include "platform/utf8_path.h"

namespace fs = std::filesystem;

namespace pontexa::tables {
namespace {

#ifndef _WIN32
std::optional<std::string> NonEmptyEnv(const char* name) {
  auto value = platform::GetEnv(name);
  if (value && value->empty()) return std::nullopt;
  return value;
}
#endif

bool SameName(std::string_view a, std::string_view b) {
  // Names on disk are UTF-8; Windows-1252 case rules cover the Spanish letters.
  return text::SameTextIgnoringCase(text::Utf8ToAnsi(a), text::Utf8ToAnsi(b));
}

}  // namespace

fs::path DriveCRoot() {
#ifdef _WIN32
  return fs::path("C:\\");
#else
  if (auto drive = NonEmptyEnv("PONTEXA_UNIDAD_C")) return platform::PathFromUtf8(*drive);
  if (auto prefix = NonEmptyEnv("WINEPREFIX")) return platform::PathFromUtf8(*prefix) / "drive_c";
  const auto home = NonEmptyEnv("HOME");
  return (home ? platform::PathFromUtf8(*home) : fs::path(".")) / ".wine" / "drive_c";
#endif
}

std::optional<fs::path> FindIgnoringCase(const fs::path& folder, std::string_view fileName) {
  if (fileName.empty()) return std::nullopt;
  std::error_code error;
  const fs::path exact = folder / platform::PathFromUtf8(fileName);
#ifdef _WIN32
  // Names are compared ignoring case by the system itself: the one entry that
  // matches is looked up below only for its spelling on disk.
  if (!fs::exists(fs::symlink_status(exact, error))) return std::nullopt;
#else
  if (fs::exists(fs::symlink_status(exact, error))) return exact;
#endif
  std::vector<fs::path> matches;
  fs::directory_iterator it(folder, error);
  if (error) return std::nullopt;
  for (const fs::directory_iterator end; it != end; it.increment(error)) {
    if (error) break;
    const std::string name = platform::Utf8(it->path().filename());
    if (SameName(name, fileName)) matches.push_back(it->path());
  }
  if (matches.empty()) return std::nullopt;
  // Several spellings can live side by side off Windows: take the same one every time.
  return *std::min_element(matches.begin(), matches.end());
}

fs::path MapWindowsPath(std::string_view windowsPath) {
  std::string_view rest = windowsPath;
  if (rest.size() >= 2 && (rest[0] == 'c' || rest[0] == 'C') && rest[1] == ':') {
    rest.remove_prefix(2);
  } else if (rest.size() >= 2 && rest[1] == ':') {
    return platform::PathFromUtf8(windowsPath);  // another drive: nothing stands for it
  }
  fs::path current = DriveCRoot();
  bool existing = true;
  while (!rest.empty()) {
    const std::size_t cut = rest.find_first_of("\\/");
    const std::string_view part = rest.substr(0, cut);
    rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    if (part.empty() || part == ".") continue;
    if (existing) {
      if (auto found = FindIgnoringCase(current, part)) {
        current = *found;
        continue;
      }
      existing = false;
    }
    current /= platform::PathFromUtf8(part);
  }
  return current;
}

fs::path ExchangeFolder() { return MapWindowsPath("C:\\QORDA"); }

std::optional<fs::path> FindTableFile(const fs::path& folder, std::string_view tableName) {
  std::string fileName(tableName);
  const bool hasExtension = fileName.size() > 4 && SameName(fileName.substr(fileName.size() - 4), ".DBF");
  if (!hasExtension) fileName += ".DBF";
  return FindIgnoringCase(folder, fileName);
}

}  // namespace pontexa::tables
