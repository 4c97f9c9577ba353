#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/utf8_path.h"

namespace pontexa::testing {

// A fresh folder under the system's temporary folder, removed with its content
// when the object dies.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // `name` is UTF-8, as every text of the program.
  std::filesystem::path operator/(std::string_view name) const { return path_ / platform::PathFromUtf8(name); }

 private:
  std::filesystem::path path_;
};

void WriteBytes(const std::filesystem::path& path, std::string_view bytes);
std::string ReadBytes(const std::filesystem::path& path);

// Folder of the project's sources (for fixtures and ejemplos/).
std::filesystem::path SourceDir();
std::filesystem::path BinaryDir();

}  // namespace pontexa::testing
