#pragma once

// The values both directions share for the whole run of the program.

#include <cstdint>
#include <filesystem>

namespace pontexa::app {

// Path of the SAGA file chosen last, in either direction; kept when the file
// dialog is cancelled.
extern std::filesystem::path ArchivoXML;
// 2 in the automated mode (two parameters and a readable window handle), else 0.
extern std::int32_t NumParametros;
// 1 after a finished direction; -1 (export) or 0 (import) for a missing file
// in the automated mode; 0 otherwise. Written on close in the automated mode.
extern std::int32_t Transformado;

}  // namespace pontexa::app
