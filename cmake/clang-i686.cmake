# Cross build for 32-bit Windows with clang 14 and the MinGW-w64 headers and libraries.
set(TAPSTORM_CLANG_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/clang-mingw.cmake)
