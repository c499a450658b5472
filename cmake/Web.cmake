# What the browser build (emscripten's toolchain, scripts/build-web.sh) needs besides the common
# build: the page's files in the build folder, index.html (packaging/web), volk5pellor.js,
# volk5pellor.wasm and volk5pellor.data, the packed data/ folder.

# The libraries built for wasm32 are static only; SDL names its target apart.
if(NOT TARGET SDL2::SDL2 AND TARGET SDL2::SDL2-static)
  add_library(SDL2::SDL2 ALIAS SDL2::SDL2-static)
endif()
# WebGL comes with emscripten's own GL library, linked by the flags below.
if(NOT TARGET OpenGL::GL)
  add_library(OpenGL::GL INTERFACE IMPORTED)
endif()

# NOTE: Debian's emscripten loads its JavaScript modules (acorn, for every link) from Debian's
# node folder; a node of another origin, or an environment without NODE_PATH, does not look
# there and every link fails with "Cannot find module 'acorn'".
set_property(GLOBAL PROPERTY RULE_LAUNCH_LINK "${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs")

# NOTE: -sUSE_SDL=0 on every compile and link: otherwise emcc puts its own SDL 1 headers ahead
# of SDL2's and links its SDL 1 library.
add_compile_options(-sUSE_SDL=0)
# NOTE: wasm32 is an ILP32 target: the warnings the program's own code must pass include the
# 64-to-32-bit narrowings a native 64-bit build never sees.
set(VOLK_WEB_LINK_OPTIONS
  -sUSE_SDL=0
  # WebGL2 only (OpenGL ES 3.0): without it the page says it cannot make the window.
  -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2
  # The budgets of the asset files (64 MiB at most for one decoded image) must be payable:
  # exceptions are not caught in this build, so an allocation that failed would abort.
  -sALLOW_MEMORY_GROWTH=1
  # The page keeps running after main hands the loop to the browser.
  -sEXIT_RUNTIME=0
  -sENVIRONMENT=web
  # The page's script calls these: progress, errors, the lost-context pause.
  "-sEXPORTED_RUNTIME_METHODS=[\"UTF8ToString\"]"
  "--preload-file=${PROJECT_SOURCE_DIR}/data@/data")
target_link_options(volk5pellor PRIVATE ${VOLK_WEB_LINK_OPTIONS})
set_target_properties(volk5pellor PROPERTIES SUFFIX ".js")
set_property(TARGET volk5pellor APPEND PROPERTY LINK_DEPENDS
  ${PROJECT_SOURCE_DIR}/packaging/web/index.html)
# The data is packed at link time: a changed file must link again.
file(GLOB_RECURSE VOLK_WEB_DATA CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/data/*)
set_property(TARGET volk5pellor APPEND PROPERTY LINK_DEPENDS ${VOLK_WEB_DATA})
add_custom_command(TARGET volk5pellor POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PROJECT_SOURCE_DIR}/packaging/web/index.html
    ${CMAKE_BINARY_DIR}/index.html)
