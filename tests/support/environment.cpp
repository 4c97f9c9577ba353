#include "support/environment.h"

#include <cstdlib>

#include "platform/files.h"

#ifdef _WIN32
#include <stdlib.h>

#include "platform/wide_text.h"
#endif

namespace pontexa::testing {

void SetEnv(const std::string& name, const std::optional<std::string>& value) {
#ifdef _WIN32
  // _wputenv_s updates the C library's copy and the process's wide block,
  // which platform::GetEnv reads; an empty value removes the variable, so an
  // empty one cannot be set this way and stands for removal.
  _wputenv_s(platform::WideFromUtf8(name).c_str(), value ? platform::WideFromUtf8(*value).c_str() : L"");
#else
  if (value) setenv(name.c_str(), value->c_str(), 1);
  else unsetenv(name.c_str());
#endif
}

ScopedEnv::ScopedEnv(std::string name, const std::optional<std::string>& value)
    : name_(std::move(name)), old_(platform::GetEnv(name_.c_str())) {
  SetEnv(name_, value);
}

ScopedEnv::~ScopedEnv() { SetEnv(name_, old_); }

}  // namespace pontexa::testing
