#pragma once

#include <optional>
#include <string>

namespace pontexa::testing {

// Sets (or, with nullopt, removes) an environment variable for one test and
// restores its old value afterwards. Values are UTF-8 on every platform.
class ScopedEnv {
 public:
  ScopedEnv(std::string name, const std::optional<std::string>& value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

// The same without restoring, for a test that changes several in turn.
void SetEnv(const std::string& name, const std::optional<std::string>& value);

}  // namespace pontexa::testing
