#pragma once

// What both entry points (app/qt/main.cpp, app/win32/main.cpp) work out the
// same way before the form is built.

#include <filesystem>

namespace pontexa::app {

// Mirvane.ini in the executable's folder; an existing file of that name in
// another letter case is the one Mirvane reads, so it is used.
std::filesystem::path ArchivoDeEstadoEn(const std::filesystem::path& carpetaPrograma);

// Where the file dialog opens: c:\qorda\saga (off Windows, under the folder
// that stands for drive C).
std::filesystem::path CarpetaInicialDelDialogo();

}  // namespace pontexa::app
