# Cross build for 32-bit Windows, the release target; its tests run under wine in a 64-bit prefix
# (WoW64), as it runs on the servers. Every processor that runs 64-bit Windows has SSE2, so the
# shipped program takes the same fast paths as the 64-bit build.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TOOLCHAIN_PREFIX i686-w64-mingw32)
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
