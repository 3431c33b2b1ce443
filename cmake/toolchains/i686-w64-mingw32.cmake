# Cross build for 32-bit Windows, the release target. (32-bit wine is not installed here, so its
# tests are not run; the x86_64 build runs them.)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TOOLCHAIN_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
