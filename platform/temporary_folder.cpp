#include "platform/temporary_folder.h"

#include <charconv>
#include <chrono>
#include <random>
#include <string>
#include <system_error>

#include "platform/error.h"
#include "platform/utf8_path.h"

namespace pontexa::platform {

namespace fs = std::filesystem;

namespace {
constexpr int kIntentos = 100;

std::string Hex(std::uint64_t valor) {
  char cifras[17];
  const auto fin = std::to_chars(cifras, cifras + sizeof cifras, valor, 16).ptr;
  return std::string(cifras, fin);
}
}  // namespace

TemporaryFolder::TemporaryFolder(std::string_view prefix) {
  std::error_code error;
  const fs::path base = fs::temp_directory_path(error);
  if (error) throw pontexa::Error("No se encuentra la carpeta temporal del sistema: " + error.message());
  std::mt19937_64 azar(std::random_device{}() ^
                       static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  for (int i = 0; i < kIntentos; ++i) {
    const fs::path candidata = base / PathFromUtf8(std::string(prefix) + Hex(azar()));
    if (fs::create_directory(candidata, error)) {
      path_ = candidata;
      return;
    }
  }
  throw pontexa::Error("No se puede crear una carpeta temporal en " + Quoted(base) +
                       (error ? ": " + error.message() : std::string()));
}

TemporaryFolder::~TemporaryFolder() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

}  // namespace pontexa::platform
