#include "carpeta_mirvane.h"

#include <array>
#include <stdexcept>

#include <pugixml.hpp>

#include "import/importador.h"
#include "saga/document.h"
#include "tables/dbf_writer.h"

namespace fs = std::filesystem;
using pontexa::tables::FieldDef;
using pontexa::tables::FieldType;

namespace pontexa::testing {

namespace {

constexpr std::array kCamposNumericos{
    FieldDef{"CODGRUPO", FieldType::String, 10}, FieldDef{"PROF", FieldType::String, 10},
    FieldDef{"ASIG", FieldType::String, 10},     FieldDef{"DIA", FieldType::Integer, 0},
    FieldDef{"HORA", FieldType::Float, 0},       FieldDef{"SESIONES", FieldType::Float, 0},
    FieldDef{"AULA", FieldType::String, 10},     FieldDef{"FIJADA", FieldType::String, 1},
};
constexpr std::array kCamposTexto{
    FieldDef{"CODGRUPO", FieldType::String, 10}, FieldDef{"PROF", FieldType::String, 10},
    FieldDef{"ASIG", FieldType::String, 10},     FieldDef{"DIA", FieldType::String, 2},
    FieldDef{"HORA", FieldType::String, 6},      FieldDef{"SESIONES", FieldType::String, 6},
    FieldDef{"AULA", FieldType::String, 10},
};
constexpr std::array kCamposMinusculas{
    FieldDef{"codgrupo", FieldType::String, 10}, FieldDef{"prof", FieldType::String, 10},
    FieldDef{"asig", FieldType::String, 10},     FieldDef{"dia", FieldType::Integer, 0},
    FieldDef{"hora", FieldType::Float, 0},       FieldDef{"sesiones", FieldType::Float, 0},
    FieldDef{"aula", FieldType::String, 10},
};
constexpr std::array kCamposSinAula{
    FieldDef{"CODGRUPO", FieldType::String, 10}, FieldDef{"PROF", FieldType::String, 10},
    FieldDef{"ASIG", FieldType::String, 10},     FieldDef{"DIA", FieldType::Integer, 0},
    FieldDef{"HORA", FieldType::Float, 0},       FieldDef{"SESIONES", FieldType::Float, 0},
};

void Escribir(const fs::path& carpeta, const tables::DbfWriter& writer, std::string_view nombre) {
  writer.WriteTo(carpeta / (std::string(nombre) + ".DBF"));
}

void EscribirCodigos(const fs::path& carpeta, const tables::TableLayout& layout, const std::vector<Codigo>& filas) {
  fs::remove(carpeta / (std::string(layout.name) + ".DBF"));
  tables::DbfWriter writer(layout);
  for (const Codigo& fila : filas) {
    writer.Append();
    writer.SetString("ABREV", fila.abrev);
    writer.SetString("IDSAGA", fila.idSaga);
    writer.Post();
  }
  Escribir(carpeta, writer, layout.name);
}

void CompactoDe(const pugi::xml_node& nodo, std::string& salida) {
  salida += nodo.name();
  if (nodo.first_attribute()) {
    salida += '{';
    bool primero = true;
    for (const pugi::xml_attribute& atributo : nodo.attributes()) {
      if (!primero) salida += ',';
      primero = false;
      salida += atributo.name();
      salida += '=';
      salida += atributo.value();
    }
    salida += '}';
  }
  bool hayHijos = false;
  for (const pugi::xml_node& hijo : nodo.children()) {
    if (hijo.type() != pugi::node_element) continue;
    salida += hayHijos ? ',' : '[';
    hayHijos = true;
    CompactoDe(hijo, salida);
  }
  if (hayHijos) salida += ']';
}

}  // namespace

const tables::TableLayout kSolucNumerica{"SOLUC", kCamposNumericos};
const tables::TableLayout kSolucTexto{"SOLUC", kCamposTexto};
const tables::TableLayout kSolucMinusculas{"SOLUC", kCamposMinusculas};
const tables::TableLayout kSolucSinAula{"SOLUC", kCamposSinAula};

std::string BytesSoluc(const std::vector<Leccion>& lecciones, const tables::TableLayout& layout) {
  tables::DbfWriter writer(layout);
  const bool conAula = layout.fields.size() > 6;
  for (const Leccion& l : lecciones) {
    writer.Append();
    writer.SetString("CODGRUPO", l.grupo);
    writer.SetString("PROF", l.prof);
    writer.SetString("ASIG", l.asig);
    writer.SetString("DIA", l.dia);
    writer.SetString("HORA", l.hora);
    writer.SetString("SESIONES", l.sesiones);
    if (conAula) writer.SetString("AULA", l.aula);
    writer.Post();
  }
  return writer.Bytes();
}

void MarcarBorrado(std::string& bytes, std::size_t registro) {
  const auto u16 = [&](std::size_t at) {
    return static_cast<std::size_t>(static_cast<unsigned char>(bytes.at(at))) |
           static_cast<std::size_t>(static_cast<unsigned char>(bytes.at(at + 1))) << 8;
  };
  bytes.at(u16(8) + registro * u16(10)) = '*';
}

CarpetaMirvane::CarpetaMirvane() : carpeta_(temp_ / "qorda") {
  fs::create_directory(carpeta_);
  Grupos({});
  Profesores({});
  Aulas({});
  Asignaturas({});
  // A solved timetable defines its days; the import refuses to place
  // sessions without one.
  DiasHoras({{"1", "Lunes", "1", "8:00", "8:55"}});
  Soluc({});
}

void CarpetaMirvane::Grupos(const std::vector<Codigo>& filas) { EscribirCodigos(carpeta_, tables::kGrupost, filas); }
void CarpetaMirvane::Profesores(const std::vector<Codigo>& filas) { EscribirCodigos(carpeta_, tables::kProft, filas); }
void CarpetaMirvane::Aulas(const std::vector<Codigo>& filas) { EscribirCodigos(carpeta_, tables::kAulat, filas); }

void CarpetaMirvane::Asignaturas(const std::vector<Asignatura>& filas) {
  fs::remove(carpeta_ / "ASIGNOMT.DBF");
  tables::DbfWriter writer(tables::kAsignomt);
  for (const Asignatura& fila : filas) {
    writer.Append();
    writer.SetString("COD", fila.cod);
    writer.SetString("NOMBRE", fila.nombre);
    writer.SetString("IDSAGA", fila.idSaga);
    writer.Post();
  }
  Escribir(carpeta_, writer, "ASIGNOMT");
}

void CarpetaMirvane::DiasHoras(const std::vector<FilaDiasHoras>& filas) {
  fs::remove(carpeta_ / "DIASHORAST.DBF");
  tables::DbfWriter writer(tables::kDiashorast);
  for (const FilaDiasHoras& fila : filas) {
    writer.Append();
    writer.SetString("DIA", fila.dia);
    writer.SetString("TEXTODIA", fila.textoDia);
    writer.SetString("HORA", fila.hora);
    writer.SetString("HORADESDE", fila.desde);
    writer.SetString("HORAHASTA", fila.hasta);
    writer.Post();
  }
  Escribir(carpeta_, writer, "DIASHORAST");
}

void CarpetaMirvane::Soluc(const std::vector<Leccion>& filas, const tables::TableLayout& layout) {
  SolucBytes(BytesSoluc(filas, layout));
}

void CarpetaMirvane::SolucBytes(std::string_view bytes) { WriteBytes(carpeta_ / "SOLUC.DBF", bytes); }

fs::path CarpetaMirvane::Saga(std::string_view xml) const {
  const fs::path archivo = temp_ / "saga.xml";
  WriteBytes(archivo, xml);
  return archivo;
}

std::string CarpetaMirvane::Importa(std::string_view xml, text::RegionalSettings ajustes) const {
  saga::Document documento = saga::Document::Parse(std::string(xml), "saga.xml");
  importacion::Importar(documento, carpeta_, ajustes);
  return Compacto(documento.Serialize(), "/*/time-tables/time-table");
}

std::string CarpetaMirvane::Seccion(std::string_view nombre, text::RegionalSettings ajustes) const {
  saga::Document documento = saga::Document::Parse("<document/>", "saga.xml");
  importacion::Importar(documento, carpeta_, ajustes);
  return Compacto(documento.Serialize(), "/document/time-tables/time-table/" + std::string(nombre));
}

std::string Compacto(std::string_view xml, std::string_view rutaElemento) {
  pugi::xml_document documento;
  if (!documento.load_buffer(xml.data(), xml.size())) throw std::runtime_error("not well-formed");
  const pugi::xpath_node encontrado = documento.select_node(std::string(rutaElemento).c_str());
  if (!encontrado) return "(none)";
  std::string salida;
  CompactoDe(encontrado.node(), salida);
  return salida;
}

}  // namespace pontexa::testing
