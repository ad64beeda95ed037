# Cross build for 64-bit Windows with clang 14 and the MinGW-w64 headers and libraries.
set(TAPSTORM_CLANG_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/clang-mingw.cmake)
