#pragma once

// Text to integer as the Windows front end's runtime reads it: the window
// handle arrives as "$" followed by hexadecimal digits.

#include <cstdint>
#include <optional>
#include <string_view>

namespace pontexa::app {

// Leading blanks, an optional sign, then either decimal digits or a
// hexadecimal number introduced by "$", "x", "X", "0x" or "0X"; nothing may
// follow. Decimal values must fit a 32-bit signed integer; hexadecimal ones
// may use all 32 bits ("$FFFFFFFF" is -1). Anything else gives nothing.
std::optional<std::int32_t> LeerEntero(std::string_view texto);

// The same, raising pontexa::Error "'<texto>' no es un valor entero válido"
// when the text is no integer.
std::int32_t StrToInt(std::string_view texto);

}  // namespace pontexa::app
