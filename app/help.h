#pragma once

// The help file "SAGA.chm": its table of contents and its topics by context
// number. help.cpp checks for the file and is compiled into each view; the
// viewer is each platform's (app/qt/ayuda_qt.cpp, app/win32/ayuda_win32.cpp).

#include <filesystem>

namespace pontexa::app {

class Ayuda {
 public:
  virtual ~Ayuda() = default;
  virtual void Contenido() = 0;
  virtual void Tema(int contexto) = 0;
};

// The help file `junto` (beside the executable), else the one of the
// installed package, ../share/pontexa/ with the same name, as bin/ holds no
// data files; `junto` itself when neither exists.
std::filesystem::path UbicarAyuda(const std::filesystem::path& junto);

// Opens a compiled HTML help file: on Windows with the HTML help viewer,
// elsewhere with an installed CHM viewer (xchm, kchmviewer), else its pages
// as HTML (ayuda/index.htm beside it) in the browser, else the desktop's
// handler for the file. Throws pontexa::Error when the file is missing or
// nothing can show it.
// The help file `junto` (beside the executable), else the one of the
// installed package, ../share/pontexa/ with the same name, as bin/ holds no
// data files; `junto` itself when neither exists.
std::filesystem::path UbicarAyuda(const std::filesystem::path& junto);

class AyudaHtml : public Ayuda {
 public:
  explicit AyudaHtml(std::filesystem::path archivo) : archivo_(std::move(archivo)) {}
  void Contenido() override;
  void Tema(int contexto) override;
  const std::filesystem::path& Archivo() const { return archivo_; }

 private:
  // Finds the file (off Windows also under ../share/pontexa) or throws
  // pontexa::Error naming it.
  void ComprobarArchivo();
  // The platform's part: the viewer, at the contents or at one topic.
  void Abrir(const int* contexto) const;
  std::filesystem::path archivo_;
};

}  // namespace pontexa::app
