#pragma once

// What a failed system call says to the user. Every system error number
// becomes text here and nowhere else (on Windows its own numbers too, in the
// system's words, which are already in the user's language).

#include <string>

namespace pontexa::platform {

// An errno value (the C library's numbering, on every system) as a short
// Spanish sentence without a final full stop: "Permiso denegado".
std::string ErrnoText(int error);

#ifdef _WIN32
// The system's own text for a GetLastError() code, in the user's Windows
// language (FormatMessageW), without its trailing period and line break.
std::string WindowsErrorText(unsigned long code);
#endif

}  // namespace pontexa::platform
