#pragma once

// A private folder under the system's temporary folder, removed with all it
// holds when the object goes. For work that must leave no trace where the
// user's files are (the dry run builds its tables here).

#include <filesystem>
#include <string_view>

namespace pontexa::platform {

class TemporaryFolder {
 public:
  // Creates a new, empty folder named `prefix` and a unique suffix. Throws
  // pontexa::Error when none can be made.
  explicit TemporaryFolder(std::string_view prefix);
  ~TemporaryFolder();
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace pontexa::platform
