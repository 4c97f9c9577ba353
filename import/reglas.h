#pragma once

// The small value rules of the import, kept apart so each can be checked on
// its own.

#include <string>
#include <string_view>

namespace pontexa::importacion {

// A day or interval number as Mirvane writes it in DIASHORAST: the decimal
// text of 1 to `maximo`, with no leading zero, blank or sign. 0 for anything
// else.
int NumeroExacto(std::string_view texto, int maximo);

// The end time of an interval: a "0" in front of a non-empty text shorter than
// 5 characters that does not start with "0" (9:45 -> 09:45, 945 -> 0945).
std::string HoraFin(std::string_view horaHasta);

// "i" and the interval number: HORA itself, or 2 * HORA - 1 for a half
// session (SESIONES exactly 0.5), in the general number format.
std::string TextoIntervalo(double hora, double sesiones, char separadorDecimal);

}  // namespace pontexa::importacion
