# Cross-builds the Windows programs (Zarvo2.exe, pbrain-zarvo2.exe) with Debian's MinGW-w64
# compiler, posix thread model:
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
#   cmake --build build-windows -j2 --target package
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZARVO_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZARVO_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZARVO_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ZARVO_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZARVO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained file per program: the C++ runtime and the thread library go inside, so the
# programs run on a Windows that has none of MinGW's DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")  # no symbols: a smaller package

# Native Linux tests cannot run here; the Windows programs are checked under Wine instead.
set(ZARVO_TESTS OFF CACHE BOOL "Build the tests" FORCE)
set(ZARVO_BENCH OFF CACHE BOOL "Build the benchmarks" FORCE)
