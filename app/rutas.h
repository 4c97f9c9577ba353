#pragma once

// Paths between Qt's strings and std::filesystem, without a detour through
// the local 8-bit code page on Windows.

#include <filesystem>

#include <QString>

namespace pontexa::app {

inline std::filesystem::path RutaDe(const QString& texto) {
#ifdef _WIN32
  return std::filesystem::path(texto.toStdWString());
#else
  return std::filesystem::path(texto.toStdString());
#endif
}

inline QString TextoDe(const std::filesystem::path& ruta) {
#ifdef _WIN32
  return QString::fromStdWString(ruta.wstring());
#else
  return QString::fromStdString(ruta.string());
#endif
}

}  // namespace pontexa::app
