# What the Windows build (cmake/mingw-w64.cmake) needs besides the common build.

# The cross-built SDL2 is static only, and names its target apart.
if(NOT TARGET SDL2::SDL2 AND TARGET SDL2::SDL2-static)
  add_library(SDL2::SDL2 ALIAS SDL2::SDL2-static)
endif()
# NOTE: the game keeps its own console main: SDL's WinMain wrapper (SDL2main) would also take
# over the test programs' main from GoogleTest. On Windows SDL needs no start-up of its own.
add_compile_definitions(SDL_MAIN_HANDLED)
# NOTE: 64-bit file sizes. The C runtime's plain stat() holds the size in 32 bits: a 2 GiB
# asset came out as 18446744071562067968 bytes, and one of 4 GiB + 1 as 1 byte, read and
# accepted as a whole file.
add_compile_definitions(_FILE_OFFSET_BITS=64)
