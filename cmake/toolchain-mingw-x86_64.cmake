# Cross-compiles for 64-bit Windows with MinGW-w64 (posix thread model) and
# runs the resulting programs under 64-bit Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QM_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
set(QM_WINE_LOADER /usr/lib/wine/wine64)
