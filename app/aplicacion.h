#pragma once

// Names the whole program shares, whichever view draws it.

namespace pontexa::app {

// The application's title: its task-bar entry and the caption of every
// message box.
inline constexpr const char* kTituloAplicacion = "Pontexa";
// The help file, looked up beside the executable.
inline constexpr const char* kArchivoAyuda = "SAGA.chm";
// The folder the file dialog opens in, as Mirvane's users know it.
inline constexpr const char* kCarpetaInicial = "c:\\qorda\\saga";

}  // namespace pontexa::app
