#pragma once

// The two directions as the dialog sees them. The form drives the sequence
// (file, cursor, message, status); an implementation does the work, so the
// form can run against the core or against a scripted stand-in.

#include <filesystem>

namespace pontexa::app {

class Transferencias {
 public:
  virtual ~Transferencias() = default;
  // What a loaded document is for: the export only reads it, so it need not
  // keep what a save writes back.
  enum class Uso { Exportar, Importar };
  // Makes the SAGA file the current document, replacing the previous one.
  virtual void Cargar(const std::filesystem::path& archivo, Uso uso) = 0;
  // Writes Mirvane's six tables from the current document.
  virtual void Exportar() = 0;
  // Rebuilds the current document's time-tables section from Mirvane's
  // tables and saves the document over the file it was loaded from.
  virtual void Importar() = 0;
};

}  // namespace pontexa::app
