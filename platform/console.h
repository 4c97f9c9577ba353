#pragma once

// The command line and the console of a text-mode program, as UTF-8.

#include <string>
#include <vector>

namespace pontexa::platform {

// The program's arguments after its name, as UTF-8. On Windows they are read
// again from the system as UTF-16: argv holds them in the ANSI code page,
// which loses every letter outside it.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Makes std::cout and std::cerr show UTF-8 text correctly. On a Windows
// console they write through WriteConsoleW; into a pipe or a file they pass
// the UTF-8 bytes unchanged, as on POSIX, where nothing changes.
void UseUtf8Output();

}  // namespace pontexa::platform
