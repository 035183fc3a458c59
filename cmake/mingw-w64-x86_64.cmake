# Cross-building the Windows programs on Debian with mingw-w64 (POSIX thread model, so that
# std::thread, std::mutex and std::condition_variable work as on Linux).
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# scripts/build-windows.sh does this. The tests then run under Wine (tests/windows/wine.sh).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VLK_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VLK_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VLK_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VLK_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VLK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained .exe an operator can copy: the C++ runtime, libgcc and winpthread are
# linked in, so only Windows' own DLLs are imported.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
