#pragma once

// The help file: its table of contents and its topics by context number.

#include <filesystem>

namespace pontexa::app {

class Ayuda {
 public:
  virtual ~Ayuda() = default;
  virtual void Contenido() = 0;
  virtual void Tema(int contexto) = 0;
};

// Opens a compiled HTML help file: on Windows with the HTML help viewer,
// elsewhere with an installed CHM viewer (xchm, kchmviewer) or the desktop's
// handler for the file. Throws pontexa::Error when the file is missing or
// nothing can show it.
class AyudaHtml : public Ayuda {
 public:
  explicit AyudaHtml(std::filesystem::path archivo) : archivo_(std::move(archivo)) {}
  void Contenido() override;
  void Tema(int contexto) override;
  const std::filesystem::path& Archivo() const { return archivo_; }

 private:
  void ComprobarArchivo() const;
  std::filesystem::path archivo_;
};

}  // namespace pontexa::app
