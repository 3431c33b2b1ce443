# What both mingw-w64 cross builds share; the including file sets TOOLCHAIN_PREFIX first.
set(CMAKE_SYSTEM_NAME Windows)

# The POSIX-threads flavour of the compiler where there is one: its C++ library is complete.
find_program(CMAKE_CXX_COMPILER NAMES ${TOOLCHAIN_PREFIX}-g++-posix ${TOOLCHAIN_PREFIX}-g++ REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${TOOLCHAIN_PREFIX}-gcc-posix ${TOOLCHAIN_PREFIX}-gcc REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${TOOLCHAIN_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Tests of a cross build run under wine where it is installed: a 64-bit program under the 64-bit
# loader, as a 64-bit prompt starts it (the plain launcher is 32-bit once 32-bit support is in,
# and would see a redirected System32 when it looks for the program).
if(CMAKE_SYSTEM_PROCESSOR STREQUAL x86_64)
  set(wine_names wine64 wine)
else()
  set(wine_names wine wine64)
endif()
find_program(WINE_PROGRAM NAMES ${wine_names} PATHS /usr/lib/wine)
if(WINE_PROGRAM)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_PROGRAM})
endif()
