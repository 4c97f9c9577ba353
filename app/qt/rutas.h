#pragma once

// Paths between Qt's strings and std::filesystem, through the program's one
// UTF-8 crossing.

#include <filesystem>

#include <QString>

#include "platform/utf8_path.h"

namespace pontexa::app {

inline std::filesystem::path RutaDe(const QString& texto) { return platform::PathFromUtf8(texto.toStdString()); }

inline QString TextoDe(const std::filesystem::path& ruta) { return QString::fromStdString(platform::Utf8(ruta)); }

}  // namespace pontexa::app
