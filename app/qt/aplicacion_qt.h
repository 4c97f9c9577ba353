#pragma once

// What the Qt view sets up once for the whole application.

namespace pontexa::app {

// Call after the QApplication exists: the application's title, Qt's own
// Spanish texts for its file dialog and message boxes, and metric-compatible
// stand-ins for the form's fonts where they are missing.
void PrepararAplicacion();

}  // namespace pontexa::app
