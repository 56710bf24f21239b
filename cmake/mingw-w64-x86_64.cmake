# Cross-compiles Morvelle for 64-bit Windows with Debian's MinGW-w64
# (g++-mingw-w64-x86-64) and runs what it builds, the tests and their
# discovery, under Wine (wine64).
#
#   cmake -S . -B build-windows -G Ninja \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MORVELLE_MINGW x86_64-w64-mingw32)
# The posix thread model: the full standard library, std::thread included.
set(CMAKE_C_COMPILER ${MORVELLE_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MORVELLE_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${MORVELLE_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MORVELLE_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Linked statically, the programs need no MinGW DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

find_program(MORVELLE_WINE NAMES wine64 wine PATHS /usr/lib/wine)
if(MORVELLE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${MORVELLE_WINE})
endif()
