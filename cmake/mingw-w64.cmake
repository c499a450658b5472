# Toolchain for the Windows build: mingw-w64 (x86_64, POSIX thread model), static, run by Wine.
# VOLK_WIN_DEPS names the prefix of the cross-built libraries (scripts/build-windows.sh).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

# NOTE: the -posix compilers: the default win32 thread model has no std::mutex, which
# simdjson's header needs.
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# try_compile projects read the toolchain again; they need the prefix too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VOLK_WIN_DEPS)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
if(VOLK_WIN_DEPS)
  list(APPEND CMAKE_FIND_ROOT_PATH "${VOLK_WIN_DEPS}")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# NOTE: fully static: without it the programs need libstdc++-6.dll, libgcc_s_seh-1.dll and
# libwinpthread-1.dll beside them, and Wine (like Windows) does not find them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Test programs run under Wine's 64-bit loader (Debian keeps it off the PATH).
find_program(VOLK_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(VOLK_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${VOLK_WINE64}")
endif()
