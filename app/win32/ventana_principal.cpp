#include "app/win32/ventana_principal.h"

#include <commdlg.h>

#include <algorithm>
#include <cstdint>
#include <utility>

#include "app/aplicacion.h"
#include "app/help.h"
#include "platform/utf8_path.h"
#include "platform/wide_text.h"

namespace pontexa::app {

namespace {

constexpr wchar_t kClaseFormulario[] = L"TMForm";
constexpr wchar_t kClasePanel[] = L"TDraw3D";
constexpr int kAncho = 632;
constexpr int kAlto = 266;

// Control ids, also what WM_COMMAND carries.
enum : int {
  kIdDraw3D1 = 101, kIdDraw3D2, kIdDraw3D3,
  kIdBExportar = 201, kIdBClose, kIdBImportar, kIdButton1,
  kIdLabel1 = 301, kIdLabel3, kIdLabel4,
};

struct Gradiente {
  COLORREF inicio, medio, fin, relleno;
};
constexpr Gradiente kInferior = {RGB(194, 205, 254), RGB(207, 242, 254), RGB(204, 216, 230), RGB(204, 216, 230)};
constexpr Gradiente kSuperior = {RGB(249, 211, 125), RGB(255, 255, 255), RGB(255, 238, 221), RGB(0, 255, 0)};

const Gradiente& GradienteDe(int id) { return id == kIdDraw3D1 ? kInferior : kSuperior; }

int Mezcla(int a, int b, int paso, int pasos) { return a + (b - a) * paso / std::max(pasos, 1); }

COLORREF Entre(COLORREF a, COLORREF b, int paso, int pasos) {
  return RGB(Mezcla(GetRValue(a), GetRValue(b), paso, pasos), Mezcla(GetGValue(a), GetGValue(b), paso, pasos),
             Mezcla(GetBValue(a), GetBValue(b), paso, pasos));
}

HFONT CrearFuente(int alto, bool negrita, const wchar_t* nombre) {
  return CreateFontW(-alto, 0, 0, 0, negrita ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, nombre);
}

// The OK kind's glyph: a green check mark.
void DibujarMarca(HDC dc, int x, int y, bool activo) {
  HPEN pluma = CreatePen(PS_SOLID, 2, activo ? RGB(0, 128, 0) : GetSysColor(COLOR_GRAYTEXT));
  HGDIOBJ antes = SelectObject(dc, pluma);
  const POINT trazo[] = {{x + 2, y + 8}, {x + 6, y + 12}, {x + 13, y + 3}};
  Polyline(dc, trazo, 3);
  SelectObject(dc, antes);
  DeleteObject(pluma);
}

// The close kind's glyph: a dark cross.
void DibujarCruz(HDC dc, int x, int y, bool activo) {
  HPEN pluma = CreatePen(PS_SOLID, 2, activo ? RGB(128, 0, 0) : GetSysColor(COLOR_GRAYTEXT));
  HGDIOBJ antes = SelectObject(dc, pluma);
  MoveToEx(dc, x + 3, y + 3, nullptr);
  LineTo(dc, x + 12, y + 12);
  MoveToEx(dc, x + 12, y + 3, nullptr);
  LineTo(dc, x + 3, y + 12);
  SelectObject(dc, antes);
  DeleteObject(pluma);
}

std::wstring Ancho(const std::string& texto) { return platform::WideFromUtf8(texto); }

// Window handles carry 32 significant bits, sign-extended on 64-bit Windows.
HWND VentanaDe(std::uint32_t handle) {
  return reinterpret_cast<HWND>(static_cast<std::intptr_t>(static_cast<std::int32_t>(handle)));
}

}  // namespace

VentanaPrincipal::VentanaPrincipal(HINSTANCE instancia, EntornoWin32 entorno, VistaDeLaLogica vista)
    : instancia_(instancia), entorno_(std::move(entorno)) {
  fuente_ = CrearFuente(11, false, L"MS Sans Serif");
  fuenteNegrita_ = CrearFuente(11, true, L"MS Sans Serif");
  fuenteTitulo_ = CrearFuente(16, true, L"Arial");
  fondo_ = GetSysColorBrush(COLOR_BTNFACE);
  CrearComponentes();
  Vista& deLaLogica = vista ? vista(*this) : *this;
  logica_.emplace(deLaLogica, Entorno{entorno_.parametros, entorno_.transferencias, entorno_.archivoEstado,
                                      entorno_.carpetaInicial});
  logica_->FormCreate();
}

VentanaPrincipal::~VentanaPrincipal() {
  if (IsWindow(formulario_)) DestroyWindow(formulario_);
  for (HFONT fuente : {fuente_, fuenteNegrita_, fuenteTitulo_}) DeleteObject(fuente);
}

void VentanaPrincipal::CrearComponentes() {
  WNDCLASSEXW clase = {};
  clase.cbSize = sizeof clase;
  clase.lpfnWndProc = ProcedimientoFormulario;
  clase.hInstance = instancia_;
  clase.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  clase.hbrBackground = fondo_;
  clase.lpszClassName = kClaseFormulario;
  RegisterClassExW(&clase);
  clase.lpfnWndProc = ProcedimientoPanel;
  clase.hbrBackground = nullptr;
  clase.lpszClassName = kClasePanel;
  RegisterClassExW(&clase);

  // A fixed dialog frame with a close box: no sizing border, no minimize or
  // maximize box; the client area is what the form's layout counts in.
  const DWORD estilo = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  const DWORD extendido = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  RECT marco = {0, 0, kAncho, kAlto};
  AdjustWindowRectEx(&marco, estilo, FALSE, extendido);
  formulario_ = CreateWindowExW(extendido, kClaseFormulario, L"Exportar e importar datos entre Mirvane y SAGA",
                                estilo, CW_USEDEFAULT, CW_USEDEFAULT, marco.right - marco.left,
                                marco.bottom - marco.top, nullptr, nullptr, instancia_, this);
  SendMessageW(formulario_, WM_SETFONT, reinterpret_cast<WPARAM>(fuente_), FALSE);

  // Creation order is the tab order: the lower panel first, then the two
  // upper ones left to right.
  Draw3D1 = CrearPanel(kIdDraw3D1, 0, 168, 633, 97);
  Label1 = CrearControl(Draw3D1, L"STATIC", L"Pontexa para RX40 V-1.0", SS_LEFT, kIdLabel1, 8, 72, 213, 13,
                        fuenteNegrita_);
  BClose = CrearControl(Draw3D1, L"BUTTON", L"&Salir", BS_OWNERDRAW | WS_TABSTOP, kIdBClose, 256, 32, 89, 25, fuente_);
  Button1 = CrearControl(Draw3D1, L"BUTTON", L"F1 AYUDA", BS_OWNERDRAW | WS_TABSTOP, kIdButton1, 265, 67, 75, 18,
                         fuente_);
  Draw3D2 = CrearPanel(kIdDraw3D2, 0, -1, 315, 169);
  Label3 = CrearControl(Draw3D2, L"STATIC", L"Transformar datos desde SAGA hacia Mirvane ", SS_LEFT, kIdLabel3, 24,
                        24, 265, 57, fuenteTitulo_);
  BExportar = CrearControl(Draw3D2, L"BUTTON", L"Aceptar", BS_OWNERDRAW | WS_TABSTOP, kIdBExportar, 96, 120, 89, 25,
                           fuente_);
  Draw3D3 = CrearPanel(kIdDraw3D3, 316, 0, 317, 169);
  Label4 = CrearControl(Draw3D3, L"STATIC", L"Transformar datos desde Mirvane hacia SAGA", SS_LEFT, kIdLabel4, 8, 24,
                        305, 57, fuenteTitulo_);
  BImportar = CrearControl(Draw3D3, L"BUTTON", L"Aceptar", BS_OWNERDRAW | WS_TABSTOP, kIdBImportar, 96, 120, 89, 25,
                           fuente_);
}

HWND VentanaPrincipal::CrearPanel(int id, int x, int y, int ancho, int alto) {
  return CreateWindowExW(WS_EX_CONTROLPARENT, kClasePanel, L"", WS_CHILD | WS_VISIBLE, x, y, ancho, alto,
                         formulario_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instancia_, this);
}

HWND VentanaPrincipal::CrearControl(HWND padre, const wchar_t* clase, const wchar_t* texto, DWORD estilo, int id,
                                    int x, int y, int ancho, int alto, HFONT fuente) {
  HWND control = CreateWindowExW(0, clase, texto, WS_CHILD | WS_VISIBLE | estilo, x, y, ancho, alto, padre,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instancia_, nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fuente), FALSE);
  return control;
}

LRESULT CALLBACK VentanaPrincipal::ProcedimientoFormulario(HWND ventana, UINT mensaje, WPARAM w, LPARAM l) {
  if (mensaje == WM_NCCREATE) {
    auto* propia = static_cast<VentanaPrincipal*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
    SetWindowLongPtrW(ventana, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(propia));
  }
  auto* propia = reinterpret_cast<VentanaPrincipal*>(GetWindowLongPtrW(ventana, GWLP_USERDATA));
  if (propia == nullptr || propia->formulario_ != ventana) return DefWindowProcW(ventana, mensaje, w, l);
  return propia->ProcesarFormulario(mensaje, w, l);
}

LRESULT CALLBACK VentanaPrincipal::ProcedimientoPanel(HWND ventana, UINT mensaje, WPARAM w, LPARAM l) {
  if (mensaje == WM_NCCREATE) {
    auto* propia = static_cast<VentanaPrincipal*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
    SetWindowLongPtrW(ventana, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(propia));
  }
  auto* propia = reinterpret_cast<VentanaPrincipal*>(GetWindowLongPtrW(ventana, GWLP_USERDATA));
  if (propia == nullptr) return DefWindowProcW(ventana, mensaje, w, l);
  return propia->ProcesarPanel(ventana, mensaje, w, l);
}

LRESULT VentanaPrincipal::ProcesarFormulario(UINT mensaje, WPARAM w, LPARAM l) {
  switch (mensaje) {
    case WM_COMMAND:
      if (HIWORD(w) == BN_CLICKED) Pulsado(LOWORD(w));
      return 0;
    case DM_GETDEFID: {
      // Enter presses the focused button, else the default one (BExportar).
      const HWND foco = GetFocus();
      for (HWND boton : {BExportar, BClose, BImportar, Button1}) {
        if (foco == boton) return MAKELRESULT(GetDlgCtrlID(boton), DC_HASDEFID);
      }
      return MAKELRESULT(kIdBExportar, DC_HASDEFID);
    }
    case WM_SETCURSOR:
      if (espera_) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_CLOSE:
      logica_->FormClose();
      cerrado_ = true;
      DestroyWindow(formulario_);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(formulario_, mensaje, w, l);
}

LRESULT VentanaPrincipal::ProcesarPanel(HWND panel, UINT mensaje, WPARAM w, LPARAM l) {
  switch (mensaje) {
    case WM_ERASEBKGND:
      return 1;  // painted whole in WM_PAINT
    case WM_PAINT: {
      PAINTSTRUCT pintura;
      HDC dc = BeginPaint(panel, &pintura);
      PintarPanel(panel, dc);
      EndPaint(panel, &pintura);
      return 0;
    }
    case WM_CTLCOLORSTATIC: {
      // Labels are transparent over the gradient.
      HDC dc = reinterpret_cast<HDC>(w);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, reinterpret_cast<HWND>(l) == Label1 ? RGB(255, 0, 0) : GetSysColor(COLOR_WINDOWTEXT));
      return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    }
    case WM_DRAWITEM:
      DibujarBoton(*reinterpret_cast<const DRAWITEMSTRUCT*>(l));
      return TRUE;
    case WM_COMMAND:
      // The buttons' clicks reach their panel; the form handles them.
      return SendMessageW(formulario_, mensaje, w, l);
    default:
      break;
  }
  return DefWindowProcW(panel, mensaje, w, l);
}

// The vertical gradient, start colour at the top, middle half-way, end at the
// bottom, drawn into an off-screen buffer so the labels never flicker.
void VentanaPrincipal::PintarPanel(HWND panel, HDC dc) {
  RECT area;
  GetClientRect(panel, &area);
  const Gradiente& g = GradienteDe(GetDlgCtrlID(panel));
  HDC memoria = CreateCompatibleDC(dc);
  HBITMAP mapa = CreateCompatibleBitmap(dc, area.right, area.bottom);
  HGDIOBJ antes = SelectObject(memoria, mapa);
  HBRUSH relleno = CreateSolidBrush(g.relleno);
  FillRect(memoria, &area, relleno);
  DeleteObject(relleno);
  const int mitad = area.bottom / 2;
  for (int y = 0; y < area.bottom; ++y) {
    const COLORREF color = y < mitad ? Entre(g.inicio, g.medio, y, mitad)
                                     : Entre(g.medio, g.fin, y - mitad, area.bottom - 1 - mitad);
    HBRUSH pincel = CreateSolidBrush(color);
    const RECT fila = {0, y, area.right, y + 1};
    FillRect(memoria, &fila, pincel);
    DeleteObject(pincel);
  }
  BitBlt(dc, 0, 0, area.right, area.bottom, memoria, 0, 0, SRCCOPY);
  SelectObject(memoria, antes);
  DeleteObject(mapa);
  DeleteDC(memoria);
}

void VentanaPrincipal::DibujarBoton(const DRAWITEMSTRUCT& boton) {
  HDC dc = boton.hDC;
  RECT caja = boton.rcItem;
  const bool pulsado = (boton.itemState & ODS_SELECTED) != 0;
  const bool activo = (boton.itemState & ODS_DISABLED) == 0;
  const bool foco = (boton.itemState & ODS_FOCUS) != 0;
  const bool porDefecto = boton.hwndItem == BExportar;
  FillRect(dc, &caja, GetSysColorBrush(COLOR_BTNFACE));
  if (foco || porDefecto) {
    // The default or focused button's black outline.
    FrameRect(dc, &caja, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    InflateRect(&caja, -1, -1);
  }
  DrawFrameControl(dc, &caja, DFC_BUTTON, DFCS_BUTTONPUSH | (pulsado ? DFCS_PUSHED : 0));

  wchar_t texto[64] = {};
  GetWindowTextW(boton.hwndItem, texto, 64);
  SIZE medida = {};
  std::wstring sinMarca;
  for (const wchar_t* c = texto; *c != 0; ++c) {
    if (*c != L'&') sinMarca += *c;
  }
  HGDIOBJ antes = SelectObject(dc, fuente_);
  GetTextExtentPoint32W(dc, sinMarca.c_str(), static_cast<int>(sinMarca.size()), &medida);
  const bool conGlifo = boton.hwndItem != Button1;
  const int anchoGlifo = conGlifo ? 16 + 4 : 0;
  const int desplazamiento = pulsado ? 1 : 0;
  const int x = (boton.rcItem.left + boton.rcItem.right - anchoGlifo - medida.cx) / 2 + desplazamiento;
  const int yGlifo = (boton.rcItem.top + boton.rcItem.bottom - 16) / 2 + desplazamiento;
  if (conGlifo) {
    if (boton.hwndItem == BClose) {
      DibujarCruz(dc, x, yGlifo, activo);
    } else {
      DibujarMarca(dc, x, yGlifo, activo);
    }
  }
  RECT zonaTexto = {x + anchoGlifo, boton.rcItem.top + desplazamiento, boton.rcItem.right,
                    boton.rcItem.bottom + desplazamiento};
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(activo ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
  DrawTextW(dc, texto, -1, &zonaTexto, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  if (foco) {
    RECT marco = boton.rcItem;
    InflateRect(&marco, -4, -4);
    DrawFocusRect(dc, &marco);
  }
  SelectObject(dc, antes);
}

void VentanaPrincipal::Pulsado(int id) {
  switch (id) {
    case kIdBExportar: logica_->BExportarClick(); break;
    case kIdBImportar: logica_->BImportarClick(); break;
    case kIdButton1: logica_->Button1Click(); break;
    case kIdBClose: Cerrar(); break;
    default: break;
  }
}

bool VentanaPrincipal::MensajeDeDialogo(MSG& mensaje) {
  if (mensaje.message == WM_KEYDOWN && mensaje.wParam == VK_F1) {
    logica_->TeclaF1();
    return true;
  }
  // No cancel button: Escape does nothing.
  if (mensaje.message == WM_KEYDOWN && mensaje.wParam == VK_ESCAPE) return true;
  if (mensaje.message == WM_SYSCHAR && (mensaje.wParam == L's' || mensaje.wParam == L'S')) {
    SendMessageW(BClose, BM_CLICK, 0, 0);
    return true;
  }
  return IsDialogMessageW(formulario_, &mensaje) != FALSE;
}

int VentanaPrincipal::Ejecutar() {
  logica_->FormShow();
  if (cerrado_) return 0;
  Centrar();
  ShowWindow(formulario_, SW_SHOW);
  SetFocus(BClose);
  MSG mensaje;
  while (GetMessageW(&mensaje, nullptr, 0, 0) > 0) {
    if (MensajeDeDialogo(mensaje)) continue;
    TranslateMessage(&mensaje);
    DispatchMessageW(&mensaje);
  }
  return 0;
}

void VentanaPrincipal::Centrar() {
  RECT ventana;
  GetWindowRect(formulario_, &ventana);
  const int ancho = ventana.right - ventana.left, alto = ventana.bottom - ventana.top;
  // Docked, the same numbers count within the parent window.
  const int x = std::max(0, (GetSystemMetrics(SM_CXSCREEN) - ancho) / 2);
  const int y = std::max(0, (GetSystemMetrics(SM_CYSCREEN) - alto) / 2);
  SetWindowPos(formulario_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND VentanaPrincipal::Dueno() const { return Visible() ? formulario_ : nullptr; }

std::optional<std::filesystem::path> VentanaPrincipal::ElegirArchivo(const OpcionesArchivo& opciones) {
  std::wstring filtro = Ancho(opciones.filtro);
  filtro += L'\0';
  filtro += Ancho(opciones.filtro);
  filtro += L'\0';
  const std::wstring titulo = Ancho(opciones.titulo);
  const std::wstring extension = Ancho(opciones.extension);
  const std::wstring carpeta = opciones.carpetaInicial.wstring();
  std::wstring nombre(32768, L'\0');
  OPENFILENAMEW dialogo = {};
  dialogo.lStructSize = sizeof dialogo;
  dialogo.hwndOwner = Dueno();
  dialogo.lpstrFilter = filtro.c_str();
  dialogo.nFilterIndex = 1;
  dialogo.lpstrFile = nombre.data();
  dialogo.nMaxFile = static_cast<DWORD>(nombre.size());
  dialogo.lpstrInitialDir = carpeta.c_str();
  dialogo.lpstrTitle = titulo.c_str();
  dialogo.lpstrDefExt = extension.c_str();
  // The platform's defaults otherwise: the chosen file need not exist.
  dialogo.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING;
  if (!GetOpenFileNameW(&dialogo)) return std::nullopt;
  nombre.resize(nombre.find(L'\0'));
  return std::filesystem::path(nombre);
}

void VentanaPrincipal::MostrarMensaje(const std::string& texto) {
  MessageBoxW(Dueno(), Ancho(texto).c_str(), Ancho(kTituloAplicacion).c_str(), MB_OK);
}

void VentanaPrincipal::MostrarError(const std::string& texto) {
  MessageBoxW(Dueno(), Ancho(texto).c_str(), Ancho(kTituloAplicacion).c_str(), MB_OK | MB_ICONERROR);
}

void VentanaPrincipal::CursorDeEspera(bool activo) {
  espera_ = activo;
  SetCursor(LoadCursorW(nullptr, activo ? IDC_WAIT : IDC_ARROW));
}

void VentanaPrincipal::ActivarTransferencias(bool activas) {
  EnableWindow(BExportar, activas);
  EnableWindow(BImportar, activas);
}

void VentanaPrincipal::Cerrar() { SendMessageW(formulario_, WM_CLOSE, 0, 0); }

bool VentanaPrincipal::ExisteVentana(std::uint32_t handle) {
  return handle != 0 && IsWindow(VentanaDe(handle)) != FALSE;
}

void VentanaPrincipal::Acoplar(std::uint32_t handle) {
  // A frameless child: no border, no caption, the client area all there is.
  SetWindowLongPtrW(formulario_, GWL_STYLE, WS_CHILD | WS_CLIPCHILDREN);
  SetWindowLongPtrW(formulario_, GWL_EXSTYLE, WS_EX_CONTROLPARENT);
  SetParent(formulario_, VentanaDe(handle));
  SetWindowPos(formulario_, nullptr, 0, 0, kAncho, kAlto, SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
}

void VentanaPrincipal::AyudaContenido() { entorno_.ayuda.Contenido(); }

void VentanaPrincipal::AyudaTema(int contexto) { entorno_.ayuda.Tema(contexto); }

bool VentanaPrincipal::Visible() const { return IsWindowVisible(formulario_) != FALSE; }

}  // namespace pontexa::app
