#include "import/reglas.h"

#include "text/numbers.h"

namespace pontexa::importacion {

int NumeroExacto(std::string_view texto, int maximo) {
  if (texto.empty() || texto.size() > 2 || texto.front() == '0') return 0;
  int valor = 0;
  for (char c : texto) {
    if (c < '0' || c > '9') return 0;
    valor = valor * 10 + (c - '0');
  }
  return valor <= maximo ? valor : 0;
}

std::string HoraFin(std::string_view horaHasta) {
  if (!horaHasta.empty() && horaHasta.front() != '0' && horaHasta.size() < 5) {
    return "0" + std::string(horaHasta);
  }
  return std::string(horaHasta);
}

std::string TextoIntervalo(double hora, double sesiones, char separadorDecimal) {
  const double numero = sesiones == 0.5 ? 2 * hora - 1 : hora;
  return "i" + text::FormatGeneral(numero, separadorDecimal);
}

}  // namespace pontexa::importacion
