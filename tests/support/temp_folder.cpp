#include "support/temp_folder.h"

#include <fstream>
#include <random>
#include <stdexcept>

#include "platform/utf8_path.h"

namespace fs = std::filesystem;

namespace pontexa::testing {

TempFolder::TempFolder() {
  std::random_device seed;
  std::mt19937_64 random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path candidate = fs::temp_directory_path() / platform::PathFromUtf8("pontexa-test-" + std::to_string(random() % 1000000000ULL));
    if (fs::create_directory(candidate)) {
      path_ = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  // Tests make folders read-only; give the rights back so the cleanup works.
  for (auto it = fs::recursive_directory_iterator(path_, ignored); it != fs::recursive_directory_iterator(); it.increment(ignored)) {
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  }
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(path_, ignored);
}

void WriteBytes(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + platform::Quoted(path));
}

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + platform::Quoted(path));
  return std::string(std::istreambuf_iterator<char>(in), {});
}

fs::path SourceDir() { return PONTEXA_SOURCE_DIR; }
fs::path BinaryDir() { return PONTEXA_BINARY_DIR; }

}  // namespace pontexa::testing
