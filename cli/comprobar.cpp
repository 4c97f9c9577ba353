#include "cli/comprobar.h"

#include <map>
#include <string_view>
#include <system_error>
#include <vector>

#include "export/exportador.h"
#include "import/importador.h"
#include "platform/utf8_path.h"
#include "saga/document.h"
#include "tables/table_replacement.h"
#include "text/numbers.h"

namespace fs = std::filesystem;

namespace pontexa::cli {
namespace {

// Examples shown per kind in the text report; the count tells the rest.
constexpr std::size_t kEjemplosPorTipo = 10;
constexpr std::string_view kCodigoCambiado = "codigo_cambiado";

std::string Numero(std::size_t n) { return text::FormatInteger(static_cast<std::int64_t>(n)); }

// What the dry run found, whichever the direction.
struct Informe {
  std::string direccion;
  std::string archivo;
  std::vector<std::pair<std::string, std::size_t>> tablas;  // export
  importacion::ComprobacionImportacion importacion;
  std::vector<Aviso> avisos, codigosCambiados, errores;
};

// ---- JSON ---------------------------------------------------------------

std::string Json(std::string_view texto) {
  std::string out = "\"";
  for (const char c : texto) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20) {
      static constexpr char kHex[] = "0123456789abcdef";
      out += "\\u00";
      out += kHex[u >> 4];
      out += kHex[u & 0xF];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string JsonAviso(const Aviso& aviso, bool conTipo) {
  std::string out = "{";
  if (conTipo) out += "\"tipo\": " + Json(aviso.tipo) + ", \"mensaje\": " + Json(aviso.mensaje);
  bool primero = !conTipo;
  for (const Dato& dato : aviso.datos) {
    if (!primero) out += ", ";
    primero = false;
    out += Json(dato.clave) + ": " + (dato.esNumero ? dato.valor : Json(dato.valor));
  }
  return out + "}";
}

std::string JsonLista(const std::vector<Aviso>& lista, bool conTipo) {
  if (lista.empty()) return "[]";
  std::string out = "[";
  for (std::size_t i = 0; i < lista.size(); ++i) out += (i ? ",\n    " : "\n    ") + JsonAviso(lista[i], conTipo);
  return out + "\n  ]";
}

std::string Resultado(const Informe& informe) {
  if (!informe.errores.empty()) return "error";
  return informe.avisos.empty() ? "correcto" : "con_avisos";
}

void ImprimirJson(const Informe& informe, std::ostream& salida) {
  salida << "{\n  \"direccion\": " << Json(informe.direccion) << ",\n  \"archivo\": " << Json(informe.archivo)
         << ",\n  \"resultado\": " << Json(Resultado(informe)) << ",\n  \"errores\": "
         << JsonLista(informe.errores, true) << ",\n  \"avisos\": " << JsonLista(informe.avisos, true);
  if (informe.direccion == "exportar") {
    salida << ",\n  \"tablas\": {";
    for (std::size_t i = 0; i < informe.tablas.size(); ++i) {
      salida << (i ? ", " : "") << Json(informe.tablas[i].first) << ": " << informe.tablas[i].second;
    }
    salida << "},\n  \"codigos_cambiados\": " << JsonLista(informe.codigosCambiados, false);
  } else {
    const importacion::ResumenImportacion& r = informe.importacion.resumen;
    const importacion::CambiosHorario& c = informe.importacion.cambios;
    salida << ",\n  \"dias\": " << r.dias << ",\n  \"intervalos\": " << r.intervalos
           << ",\n  \"sesiones\": {\"colocadas\": " << r.entradas << ", \"sin_colocar\": " << r.sinColocar
           << "},\n  \"cambios\": {\"entradas_antes\": " << c.antes << ", \"entradas_despues\": " << c.despues
           << ", \"añadidas\": " << c.anadidas << ", \"quitadas\": " << c.quitadas << "}";
  }
  salida << "\n}\n";
}

// ---- text ---------------------------------------------------------------

// Grouped by kind in the order the kinds first appear, a few examples each.
void ImprimirGrupos(std::string_view titulo, const std::vector<Aviso>& lista, std::ostream& salida) {
  if (lista.empty()) return;
  salida << titulo << " (" << lista.size() << "):\n";
  std::vector<std::string> orden;
  std::map<std::string, std::vector<const Aviso*>> porTipo;
  for (const Aviso& aviso : lista) {
    auto& grupo = porTipo[aviso.tipo];
    if (grupo.empty()) orden.push_back(aviso.tipo);
    grupo.push_back(&aviso);
  }
  for (const std::string& tipo : orden) {
    const auto& grupo = porTipo[tipo];
    salida << "  " << tipo << " (" << grupo.size() << "):\n";
    for (std::size_t i = 0; i < grupo.size() && i < kEjemplosPorTipo; ++i) salida << "    - " << grupo[i]->mensaje << '\n';
    if (grupo.size() > kEjemplosPorTipo) salida << "    … y " << grupo.size() - kEjemplosPorTipo << " más\n";
  }
}

void ImprimirTexto(const Informe& informe, std::ostream& salida) {
  salida << "Comprobación de la " << (informe.direccion == "exportar" ? "exportación" : "importación") << " de '"
         << informe.archivo << "' (no se ha escrito nada)\n";
  if (informe.direccion == "exportar") {
    if (informe.errores.empty()) {
      salida << "Tablas que se escribirían:\n";
      for (const auto& [tabla, registros] : informe.tablas) {
        salida << "  " << tabla << ": " << registros << (registros == 1 ? " registro" : " registros") << '\n';
      }
    }
    ImprimirGrupos("Códigos cambiados para que no se repitan", informe.codigosCambiados, salida);
  } else if (informe.importacion.completa) {
    const importacion::ResumenImportacion& r = informe.importacion.resumen;
    const importacion::CambiosHorario& c = informe.importacion.cambios;
    salida << "Días leídos: " << r.dias << "; intervalos: " << r.intervalos << '\n'
           << "Sesiones colocadas: " << r.entradas << "; sin colocar: " << r.sinColocar << '\n'
           << "Sección time-tables: " << c.antes << " entradas ahora, " << c.despues << " después; " << c.anadidas
           << " añadidas, " << c.quitadas << " quitadas\n";
  }
  ImprimirGrupos("Avisos", informe.avisos, salida);
  ImprimirGrupos("Errores que detendrían la transferencia", informe.errores, salida);
  const std::string resultado = Resultado(informe);
  salida << "Resultado: "
         << (resultado == "error" ? "fallaría" : resultado == "con_avisos" ? "correcto, con avisos" : "correcto")
         << '\n';
}

// ---- the dry runs ---------------------------------------------------------

void Separar(const Recopilador& recopilador, Informe& informe) {
  for (const Aviso& aviso : recopilador.Avisos()) {
    (aviso.tipo == kCodigoCambiado ? informe.codigosCambiados : informe.avisos).push_back(aviso);
  }
  informe.errores = recopilador.Errores();
}

// The checks the real run makes before it starts, as errors of the report.
bool Previas(const fs::path& archivo, const fs::path& carpeta, Recopilador& recopilador) {
  std::error_code error;
  bool bien = true;
  if (!fs::is_regular_file(archivo, error)) {
    recopilador.Fallar({"archivo_inexistente", "No existe archivo", {DatoTexto("archivo", platform::Utf8(archivo))}});
    bien = false;
  }
  if (!fs::is_directory(carpeta, error)) {
    recopilador.Fallar({"carpeta_inexistente", "No existe la carpeta de intercambio " + platform::Quoted(carpeta),
                        {DatoTexto("carpeta", platform::Utf8(carpeta))}});
    bien = false;
  }
  return bien;
}

void ComprobarExportar(const fs::path& archivo, const fs::path& carpeta, Recopilador& recopilador,
                       Informe& informe) {
  if (!Previas(archivo, carpeta, recopilador)) return;
  if (tables::InterruptedReplacementPending(carpeta)) {
    recopilador.Avisar({"reemplazo_pendiente",
                        "En la carpeta " + platform::Quoted(carpeta) +
                            " quedó a medias una sustitución de tablas; la exportación real la completará primero",
                        {DatoTexto("carpeta", platform::Utf8(carpeta))}});
  }
  try {
    const saga::Document documento = saga::Document::LoadForReading(archivo);
    informe.tablas =
        exportacion::ComprobarExportacion(documento, text::RegionalSettings::FromEnvironment(), recopilador).registros;
  } catch (const pontexa::Error& error) {
    recopilador.Fallar({"error", error.what()});
  }
}

void ComprobarImportar(const fs::path& archivo, const fs::path& carpeta, Recopilador& recopilador,
                       Informe& informe) {
  if (!Previas(archivo, carpeta, recopilador)) return;
  informe.importacion =
      importacion::ComprobarImportacion(archivo, carpeta, text::RegionalSettings::FromEnvironment(), recopilador);
}

}  // namespace

int Comprobar(const std::string& direccion, const fs::path& archivo, const fs::path& carpeta, Formato formato,
              std::ostream& salida) {
  Informe informe;
  informe.direccion = direccion;
  informe.archivo = platform::Utf8(archivo);
  Recopilador recopilador(/*seguirTrasErrores=*/true);
  if (direccion == "exportar") {
    ComprobarExportar(archivo, carpeta, recopilador, informe);
  } else {
    ComprobarImportar(archivo, carpeta, recopilador, informe);
  }
  Separar(recopilador, informe);
  if (formato == Formato::Json) {
    ImprimirJson(informe, salida);
  } else {
    ImprimirTexto(informe, salida);
  }
  salida.flush();
  return informe.errores.empty() ? 0 : 1;
}

void ImprimirAvisos(const Recopilador& recopilador, std::ostream& salida) {
  Informe informe;
  Separar(recopilador, informe);
  ImprimirGrupos("Códigos cambiados para que no se repitan", informe.codigosCambiados, salida);
  ImprimirGrupos("Avisos", informe.avisos, salida);
}

}  // namespace pontexa::cli
