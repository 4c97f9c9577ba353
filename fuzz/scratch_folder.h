#pragma once

// What the fuzz targets share: a folder of their own for the files each input
// becomes (in memory-backed /dev/shm when there is one, so the fsync of every
// save costs nothing), and a way to stop on a broken promise.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace pontexa::fuzzing {

class ScratchFolder {
 public:
  explicit ScratchFolder(std::string_view purpose);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / std::string(name); }

  // Empties the folder (the files an earlier input left).
  void Clear() const;

 private:
  std::filesystem::path path_;
};

// Writes bytes with plain stream I/O: the harness's own files must not pass
// through the layer under test.
void Put(const std::filesystem::path& path, std::string_view bytes);
std::string Get(const std::filesystem::path& path);

// Reports a broken promise of the code under test and aborts, so libFuzzer
// keeps the input as a crash.
[[noreturn]] void Broken(std::string_view what, std::string_view detail);

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

}  // namespace pontexa::fuzzing
