# Cross build for 64-bit Windows with Debian's MinGW-w64 (posix threads, so
# std::thread and std::mutex work). The runtime is linked statically: the
# executables need only what every Windows has (KERNEL32, msvcrt, ...).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(PONTEXA_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${PONTEXA_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PONTEXA_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${PONTEXA_MINGW}-windres)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs (gtest discovery, ctest) run under Wine.
find_program(PONTEXA_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(NOT PONTEXA_WINE)
  find_program(PONTEXA_WINE NAMES wine64 wine)
endif()
if(PONTEXA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PONTEXA_WINE})
endif()

# pugixml and GoogleTest built for Windows by scripts/windows.sh.
if(NOT PONTEXA_WINDOWS_PREFIX)
  if(DEFINED ENV{PONTEXA_WINDOWS_PREFIX})
    set(PONTEXA_WINDOWS_PREFIX "$ENV{PONTEXA_WINDOWS_PREFIX}")
  else()
    get_filename_component(PONTEXA_WINDOWS_PREFIX "${CMAKE_CURRENT_LIST_DIR}/../build-windows/deps/prefix" ABSOLUTE)
  endif()
endif()
set(PONTEXA_WINDOWS_PREFIX "${PONTEXA_WINDOWS_PREFIX}" CACHE PATH "Prefix holding pugixml and GoogleTest built for Windows")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES PONTEXA_WINDOWS_PREFIX)

set(CMAKE_FIND_ROOT_PATH /usr/${PONTEXA_MINGW} ${PONTEXA_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
