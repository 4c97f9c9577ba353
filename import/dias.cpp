// The days section from DIASHORAST: one day per day number 1 to 7 found (its
// name from the first row of that day), holding that day's intervals by
// interval number and, for equal numbers, in record order.
//
// One walk of the table puts every row in its (day, interval) bucket; writing
// the buckets in order gives what a walk per day and per interval number gives.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "import/importador_core.h"
#include "import/reglas.h"
#include "text/cp1252.h"

namespace pontexa::importacion {

namespace {

constexpr int kDias = 7;
constexpr int kIntervalos = 40;

struct Intervalo {
  std::string desde;
  std::string hasta;
};

struct Dia {
  std::optional<std::string> nombre;  // TEXTODIA of the day's first row
  std::array<std::vector<Intervalo>, kIntervalos + 1> intervalos;  // by number, 1-based
};

}  // namespace

void Importador::EscribirDias() {
  seccion_.Open("days");

  tables::Table& tabla = wwTableDiasHoras;
  const tables::Field dia = tabla.FieldByName("DIA");
  const tables::Field textoDia = tabla.FieldByName("TEXTODIA");
  const tables::Field hora = tabla.FieldByName("HORA");
  const tables::Field horaDesde = tabla.FieldByName("HORADESDE");
  const tables::Field horaHasta = tabla.FieldByName("HORAHASTA");

  // A row whose day or interval number gives no element, for the observer.
  auto fueraDeRango = [&](std::string_view campo, const tables::Field& valor, int maximo) {
    Notificar("dia_u_hora_fuera_de_rango",
              "El registro " + text::FormatInteger(static_cast<std::int64_t>(tabla.RecordNumber())) +
                  " de DIASHORAST tiene " + std::string(campo) + " '" + text::AnsiToUtf8(valor.AsString()) +
                  "', que no es un número de 1 a " + text::FormatInteger(maximo) + ": no da ningún " +
                  (campo == "DIA" ? "día" : "intervalo"),
              {DatoTexto("tabla", "DIASHORAST"), DatoTexto("campo", std::string(campo)),
               DatoNumero("registro", tabla.RecordNumber()), DatoTexto("valor", text::AnsiToUtf8(valor.AsString()))});
  };

  std::array<Dia, kDias + 1> porDia;
  for (tabla.First(); !tabla.Eof(); tabla.Next()) {
    const int d = NumeroExacto(dia.AsString(), kDias);
    if (d == 0) {
      if (observador_) fueraDeRango("DIA", dia, kDias);
      continue;
    }
    Dia& destino = porDia[d];
    if (!destino.nombre) destino.nombre = textoDia.AsString();
    const int n = NumeroExacto(hora.AsString(), kIntervalos);
    if (n == 0) {
      if (observador_) fueraDeRango("HORA", hora, kIntervalos);
      continue;
    }
    destino.intervalos[n].push_back({horaDesde.AsString(), horaHasta.AsString()});
  }

  for (int d = 1; d <= kDias; ++d) {
    const Dia& origen = porDia[d];
    if (!origen.nombre) continue;
    const std::string dt = text::FormatInteger(d);
    seccion_.Open("day");
    seccion_.Attribute("id", dt);
    seccion_.Attribute("name", *origen.nombre);
    ++resumen_.dias;
    for (int n = 1; n <= kIntervalos; ++n) {
      const std::string id = "i" + text::FormatInteger(n);
      for (const Intervalo& intervalo : origen.intervalos[n]) {
        seccion_.Open("interval");
        seccion_.Attribute("id", id);
        seccion_.Attribute("begin", intervalo.desde);
        seccion_.Attribute("end", HoraFin(intervalo.hasta));
        seccion_.Close();
        ++resumen_.intervalos;
      }
      if (observador_ && !origen.intervalos[n].empty()) intervalosDefinidos_.insert(dt + "|" + id);
    }
    seccion_.Close();  // day
  }
  seccion_.Close();  // days
  if (observador_ && resumen_.dias == 0) {
    Notificar("dias_vacios", "DIASHORAST no define ningún día: la sección days queda vacía",
              {DatoTexto("tabla", "DIASHORAST"), DatoNumero("registros", tabla.RecordCount())});
  }
  Avisar("days", resumen_.dias, resumen_.dias);
}

}  // namespace pontexa::importacion
