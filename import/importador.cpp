#include "import/importador.h"

#include "import/importador_core.h"
#include <algorithm>
#include <unordered_map>

#include "tables/table_replacement.h"
#include "text/cp1252.h"
#include "platform/utf8_path.h"

namespace pontexa::importacion {

Importador::Importador(saga::Document& documento, const std::filesystem::path& carpeta,
                       const text::RegionalSettings& ajustes, const Progreso& progreso, Observador* observador,
                       std::vector<std::uint64_t>* firmas)
    : documento_(documento),
      observador_(observador),
      firmas_(firmas),
      ajustes_(ajustes),
      progreso_(progreso),
      wwTableNomAsg(carpeta, "ASIGNOMT", ajustes),
      wwTableAulas(carpeta, "AULAT", ajustes),
      wwTableGrupos(carpeta, "GRUPOST", ajustes),
      wwTableDiasHoras(carpeta, "DIASHORAST", ajustes),
      wwTableProfesor(carpeta, "PROFT", ajustes),
      wwTableSoluc(carpeta, "SOLUC", ajustes),
      seccion_(documento) {}

void Importador::Avisar(std::string_view seccion, std::size_t hecho, std::size_t total) const {
  if (progreso_) progreso_(seccion, hecho, total);
}

ResumenImportacion Importador::Ejecutar() {
  AbrirHorario();
  AbrirTablas();
  EscribirDias();
  EscribirGruposMiembrosActividades();
  EscribirEntradas();
  CerrarTablas();
  ListaActividades.clear();
  ListaAsignaturas.clear();
  CerrarHorario();
  ReemplazarSeccion();
  return resumen_;
}

void Importador::Notificar(std::string tipo, std::string mensaje, std::vector<Dato> datos) {
  observador_->Avisar({std::move(tipo), std::move(mensaje), std::move(datos)});
}

std::uint64_t FirmaDeEntrada(std::string_view dia, std::string_view intervalo, std::string_view asignatura,
                             std::string_view grupo, std::string_view profesor, std::string_view aula) {
  // FNV-1a over the parts, each closed by a byte no text holds: two inputs
  // share a signature only when they agree (collisions aside, which a count
  // of changes can bear).
  std::uint64_t firma = 14695981039346656037ull;
  for (std::string_view parte : {dia, intervalo, asignatura, grupo, profesor, aula}) {
    for (const char c : parte) firma = (firma ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    firma = (firma ^ 0x1Fu) * 1099511628211ull;
  }
  return firma;
}

namespace {

// The id of the first `elemento` in the first `contenedor` of an input.
std::string IdDe(const saga::Element& entrada, std::string_view contenedor, std::string_view elemento) {
  const saga::Element primero = entrada.SelectSingleNode(contenedor).SelectSingleNode(elemento);
  return primero ? primero.Attribute("id").value_or(std::string()) : std::string();
}

// The inputs of the sections the file holds now, as FirmaDeEntrada.
std::vector<std::uint64_t> FirmasActuales(const saga::Document& documento) {
  std::vector<std::uint64_t> firmas;
  const saga::Element raiz = documento.DocumentElement();
  if (!raiz) return firmas;
  for (const saga::Element& horario : raiz.SelectNodes(std::string(kSeccionHorarios) + "/time-table")) {
    std::unordered_map<std::string, std::string> asignaturaDe;
    for (const saga::Element& actividad : horario.SelectNodes("activities/activity")) {
      asignaturaDe.emplace(actividad.Attribute("id").value_or(std::string()),
                           actividad.Attribute("subject").value_or(std::string()));
    }
    for (const saga::Element& entrada : horario.SelectNodes("inputs/input")) {
      const std::string actividad = entrada.Attribute("activity").value_or(std::string());
      const auto asignatura = asignaturaDe.find(actividad);
      firmas.push_back(FirmaDeEntrada(entrada.Attribute("day").value_or(std::string()),
                                      entrada.Attribute("interval").value_or(std::string()),
                                      asignatura != asignaturaDe.end() ? asignatura->second : actividad,
                                      IdDe(entrada, "groups", "group"), IdDe(entrada, "members", "member"),
                                      IdDe(entrada, "locations", "location")));
    }
  }
  return firmas;
}

CambiosHorario Comparar(std::vector<std::uint64_t> antes, std::vector<std::uint64_t> despues) {
  CambiosHorario cambios{antes.size(), despues.size(), 0, 0};
  std::sort(antes.begin(), antes.end());
  std::sort(despues.begin(), despues.end());
  std::size_t i = 0, j = 0;
  while (i < antes.size() || j < despues.size()) {
    if (j == despues.size() || (i < antes.size() && antes[i] < despues[j])) {
      ++cambios.quitadas;
      ++i;
    } else if (i == antes.size() || despues[j] < antes[i]) {
      ++cambios.anadidas;
      ++j;
    } else {
      ++i;
      ++j;
    }
  }
  return cambios;
}

}  // namespace

namespace {

// The import proper, by the holder of the folder's reservation.
ResumenImportacion ImportarReservada(saga::Document& documento, const std::filesystem::path& carpeta,
                                     const text::RegionalSettings& ajustes, const Progreso& progreso,
                                     Observador* observador) {
  // A crashed export may have left its tables half switched; finish that
  // first, where the folder can be written (an import only reads it).
  if (tables::InterruptedReplacementPending(carpeta)) tables::RecoverInterruptedReplacement(carpeta);
  return Importador(documento, carpeta, ajustes, progreso, observador).Ejecutar();
}

tables::TransferLock ReservaCarpeta(const std::filesystem::path& carpeta, const tables::LockWait& espera) {
  return tables::TransferLock::ForExchangeFolder(carpeta, tables::TransferLock::Use::Read, espera);
}

}  // namespace

ResumenImportacion Importar(saga::Document& documento, const std::filesystem::path& carpeta,
                            const text::RegionalSettings& ajustes, const Progreso& progreso,
                            const tables::LockWait& espera, Observador* observador) {
  const tables::TransferLock reserva = ReservaCarpeta(carpeta, espera);
  return ImportarReservada(documento, carpeta, ajustes, progreso, observador);
}

ResumenImportacion ImportarYGuardar(saga::Document& documento, const std::filesystem::path& carpeta,
                                    const text::RegionalSettings& ajustes, const Progreso& progreso,
                                    const tables::LockWait& espera) {
  const tables::TransferLock archivo = tables::TransferLock::ForSagaFile(documento.Path(), espera);
  const tables::TransferLock reserva = ReservaCarpeta(carpeta, espera);
  const ResumenImportacion resumen = ImportarReservada(documento, carpeta, ajustes, progreso, {});
  documento.Save();
  return resumen;
}

ResumenImportacion ImportarArchivo(const std::filesystem::path& archivo, const std::filesystem::path& carpeta,
                                   const text::RegionalSettings& ajustes, const Progreso& progreso,
                                   const tables::LockWait& espera, Observador* observador) {
  // Reserved before it is read, so that two imports into one file never
  // lose one another's work.
  const tables::TransferLock reservaArchivo = tables::TransferLock::ForSagaFile(archivo, espera);
  const tables::TransferLock reserva = ReservaCarpeta(carpeta, espera);
  saga::Document documento = CargarParaImportar(archivo);
  const ResumenImportacion resumen = ImportarReservada(documento, carpeta, ajustes, progreso, observador);
  documento.Save();
  return resumen;
}

ComprobacionImportacion ComprobarImportacion(const std::filesystem::path& archivo,
                                             const std::filesystem::path& carpeta,
                                             const text::RegionalSettings& ajustes, Observador& observador) {
  ComprobacionImportacion comprobacion;
  if (tables::InterruptedReplacementPending(carpeta)) {
    observador.Avisar({"reemplazo_pendiente",
                       "En la carpeta " + platform::Quoted(carpeta) +
                           " quedó a medias una sustitución de tablas; la importación real la completará antes de "
                           "leerlas, así que lee tablas distintas de las que se han comprobado aquí",
                       {DatoTexto("carpeta", platform::Utf8(carpeta))}});
  }
  try {
    // The section the file holds, read once and let go before the import
    // loads the file as the real run does.
    std::vector<std::uint64_t> antes = FirmasActuales(saga::Document::LoadForReading(archivo));
    saga::Document documento = CargarParaImportar(archivo);
    std::vector<std::uint64_t> despues;
    comprobacion.resumen = Importador(documento, carpeta, ajustes, {}, &observador, &despues).Ejecutar();
    comprobacion.cambios = Comparar(std::move(antes), std::move(despues));
    comprobacion.completa = true;
  } catch (const pontexa::Error& error) {
    observador.Fallar({"error", error.what()});
  }
  return comprobacion;
}

}  // namespace pontexa::importacion
