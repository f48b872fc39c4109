# Cross build for 64-bit Windows with Debian's MinGW-w64 compilers. The posix-threads variant
# carries the std::thread support; -static leaves no DLL beside the .exe files.
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TABRIX_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TABRIX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TABRIX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TABRIX_MINGW_TRIPLE}-windres)

# Libraries and headers only from the MinGW tree; the host's /usr/include would shadow it.
set(CMAKE_FIND_ROOT_PATH /usr/${TABRIX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
