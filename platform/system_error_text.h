#pragma once

// What the operating system says about a failure, as UTF-8 for a message.

#include <string>

namespace pontexa::platform {

// POSIX: a short Spanish text for the errno values a user meets (disk full,
// permission, missing file), the C library's own text for the rest.
// Also used on Windows for failures the test seam stages.
std::string ErrnoText(int error);

#ifdef _WIN32
// The system's own text for a GetLastError() code, in the user's Windows
// language (FormatMessageW), without its trailing period and line break.
std::string WindowsErrorText(unsigned long code);
#endif

}  // namespace pontexa::platform
