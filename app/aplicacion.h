#pragma once

// What the program sets up once, at start, for the whole application.

#include <filesystem>

#include <QString>

namespace pontexa::app {

// The application's title: its task-bar entry and the caption of every
// message box.
inline const QString kTituloAplicacion = QStringLiteral("Pontexa");
// The help file, looked up beside the executable.
inline constexpr const char* kArchivoAyuda = "SAGA.chm";

// Sets the application's title. Call after the QApplication exists.
void PrepararAplicacion();
// The title the message boxes carry.
QString TituloAplicacion();

}  // namespace pontexa::app
