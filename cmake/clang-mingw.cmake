# Shared part of the clang cross builds (clang-i686.cmake, clang-x86_64.cmake): Debian's
# clang 14 for the MinGW-w64 target, with the headers, libraries, C++ runtime and linker of
# the MinGW-w64 posix toolchain that the gcc builds use.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${TAPSTORM_CLANG_ARCH})
set(triple ${TAPSTORM_CLANG_ARCH}-w64-mingw32)

find_program(TAPSTORM_CLANG NAMES clang-14 clang REQUIRED)
find_program(TAPSTORM_CLANGXX NAMES clang++-14 clang++ REQUIRED)
set(CMAKE_C_COMPILER ${TAPSTORM_CLANG})
set(CMAKE_CXX_COMPILER ${TAPSTORM_CLANGXX})
set(CMAKE_C_COMPILER_TARGET ${triple})
set(CMAKE_CXX_COMPILER_TARGET ${triple})
set(CMAKE_RC_COMPILER ${triple}-windres)

# clang does not look for the libstdc++ of a MinGW-w64 gcc on its own; take the posix one.
file(GLOB gcc_dirs LIST_DIRECTORIES true /usr/lib/gcc/${triple}/*-posix)
list(SORT gcc_dirs)
list(GET gcc_dirs -1 gcc_dir)
set(cxx_headers "-isystem ${gcc_dir}/include/c++ -isystem ${gcc_dir}/include/c++/${triple} -isystem ${gcc_dir}/include/c++/backward")
set(CMAKE_CXX_FLAGS_INIT "${cxx_headers}")
# -pthread: the static runtime needs winpthread after libgcc_eh, where the driver puts it.
# lld: GNU ld warns of every type-name string that clang's objects and gcc's runtime both hold.
# It is handed over by its path: clang-14 looks for the bare name ld.lld beside itself and on
# PATH, which the versioned package (lld-14) does not provide.
find_program(TAPSTORM_LLD NAMES ld.lld-14 ld.lld)
if(NOT TAPSTORM_LLD)
  message(FATAL_ERROR "The clang builds link with lld 14, and neither ld.lld-14 nor ld.lld was found: "
                      "install Debian's lld-14 (bash scripts/install-deps.sh does).")
endif()
set(CMAKE_EXE_LINKER_FLAGS_INIT "-L${gcc_dir} -pthread -fuse-ld=lld --ld-path=${TAPSTORM_LLD}")

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
