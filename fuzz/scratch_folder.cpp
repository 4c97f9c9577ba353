#include "scratch_folder.h"
#include "platform/utf8_path.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <system_error>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace pontexa::fuzzing {

namespace {
fs::path ScratchRoot() {
  std::error_code error;
  if (fs::is_directory("/dev/shm", error)) return "/dev/shm";
  return fs::temp_directory_path();
}

long ProcessId() {
#ifndef _WIN32
  return static_cast<long>(::getpid());
#else
  return 0;
#endif
}
}  // namespace

ScratchFolder::ScratchFolder(std::string_view purpose)
    : path_(ScratchRoot() / ("pontexa-fuzz-" + std::string(purpose) + "-" + std::to_string(ProcessId()))) {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
  fs::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

void ScratchFolder::Clear() const {
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(path_, ignored)) fs::remove_all(entry.path(), ignored);
}

void Put(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) Broken("harness", "cannot write " + pontexa::platform::Utf8(path));
}

std::string Get(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Broken(std::string_view what, std::string_view detail) {
  std::fprintf(stderr, "\n*** %.*s: %.*s\n", static_cast<int>(what.size()), what.data(),
               static_cast<int>(detail.size()), detail.data());
  std::abort();
}

}  // namespace pontexa::fuzzing
