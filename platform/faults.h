#pragma once

// A seam for tests: makes the file layer fail on demand, so that fault paths
// (a full disk, a failing rename) can be exercised without breaking a disk.
// Production code never arms it.

#include <cstddef>
#include <functional>
#include <string>

namespace pontexa::platform::faults {

enum class Operation { Write, Sync, Rename, Open };

// Called before each file operation with the operation and the path; returning
// true makes that operation fail as the system call would (the write layer
// reports "No queda espacio en el disco" for writes).
using Injector = std::function<bool(Operation, const std::string& path)>;

void Arm(Injector injector);
void Disarm();

// Used by the file layer.
bool ShouldFail(Operation operation, const std::string& path);

// Disarms when it goes out of scope.
struct Scoped {
  explicit Scoped(Injector injector) { Arm(std::move(injector)); }
  ~Scoped() { Disarm(); }
  Scoped(const Scoped&) = delete;
  Scoped& operator=(const Scoped&) = delete;
};

}  // namespace pontexa::platform::faults
