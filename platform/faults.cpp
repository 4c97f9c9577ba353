#include "platform/faults.h"

#include <utility>

namespace pontexa::platform::faults {
namespace {
// Test-only seam; empty in every production run.
Injector& Current() {
  static Injector injector;
  return injector;
}
}  // namespace

void Arm(Injector injector) { Current() = std::move(injector); }
void Disarm() { Current() = nullptr; }

bool ShouldFail(Operation operation, const std::string& path) {
  const Injector& injector = Current();
  return injector && injector(operation, path);
}

}  // namespace pontexa::platform::faults
