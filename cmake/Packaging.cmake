# Install rules and the Debian package (CPack's DEB generator reads the same rules):
# `cmake --install` and `cpack -G DEB` lay the game out alike.
#
# Debian's place for games: the player's command in games/, the real executable private
# under lib/games/volk5pellor/, the data under share/games/volk5pellor/data/, the menu entry
# and the icons where desktops look for them. On Windows: the .exe beside its data/ folder.

set(VOLK_PACKAGE_NAME volk5pellor)
set(VOLK_PACKAGE_MAINTAINER "VOLK 5 Pellor developers <volk5pellor@example.org>"
  CACHE STRING "Maintainer field of the Debian package: Name <address>")

if(WIN32)
  install(TARGETS volk5pellor RUNTIME DESTINATION .)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/data DESTINATION .)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/README.txt DESTINATION .)
  # The libraries are linked in statically, so their licences go along: scripts/build-windows.sh
  # keeps them in the prefix it built the libraries into.
  if(VOLK_WIN_DEPS)
    install(DIRECTORY ${VOLK_WIN_DEPS}/licenses/ DESTINATION licenses)
  endif()
  return()
endif()

set(VOLK_INSTALL_GAMESDIR games)
set(VOLK_INSTALL_EXEDIR lib/games/${VOLK_PACKAGE_NAME})
set(VOLK_INSTALL_DATADIR share/games/${VOLK_PACKAGE_NAME})

# The launcher finds the executable and the data relative to its own folder.
file(RELATIVE_PATH VOLK_LAUNCHER_TO_EXE /${VOLK_INSTALL_GAMESDIR} /${VOLK_INSTALL_EXEDIR})
file(RELATIVE_PATH VOLK_LAUNCHER_TO_DATA /${VOLK_INSTALL_GAMESDIR} /${VOLK_INSTALL_DATADIR})
configure_file(${PROJECT_SOURCE_DIR}/packaging/volk5pellor.sh.in
  ${PROJECT_BINARY_DIR}/packaging/volk5pellor @ONLY)

install(TARGETS volk5pellor RUNTIME DESTINATION ${VOLK_INSTALL_EXEDIR})
install(PROGRAMS ${PROJECT_BINARY_DIR}/packaging/volk5pellor DESTINATION ${VOLK_INSTALL_GAMESDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data DESTINATION ${VOLK_INSTALL_DATADIR})
foreach(size 64 128)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/icons/${size}x${size}/volk5pellor.png
    DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()

# NOTE: the menu entry names the launcher by its absolute path, and the prefix is only known
# at install time: `cmake --install --prefix` and CPack (prefix /usr under a staging DESTDIR)
# both pick theirs then. Written by hand, so it is added to the install manifest by hand.
install(CODE "
  set(VOLK_LAUNCHER_PATH \"\${CMAKE_INSTALL_PREFIX}/${VOLK_INSTALL_GAMESDIR}/volk5pellor\")
  set(volk_desktop \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/share/applications/volk5pellor.desktop\")
  message(STATUS \"Installing: \${volk_desktop}\")
  configure_file(\"${PROJECT_SOURCE_DIR}/packaging/volk5pellor.desktop.in\" \"\${volk_desktop}\"
    @ONLY)
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${volk_desktop}\")
")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${VOLK_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small real-time 3D game on a tiny planet")
# Lines of the long description; CPack indents them as the control file wants.
set(CPACK_PACKAGE_DESCRIPTION [[
One window shows a star backdrop, a disc of grass tiles and a walled yard -
a house, four corner enclosures with doors, rows of trees, wooden blocks and
floor tiles - on a small curved world: everything beyond the terrain radius
tips over a horizon. The arrow keys pan, orbit and zoom the camera, Space
picks which, F2 switches the projection and Escape pauses.
Needs OpenGL 3.0, or 2.1 with GLSL 1.20.]])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VOLK_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps turns the libraries the executable links into versioned Depends.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# NOTE: SDL opens libGL.so.1 itself to make the GL context, so no link names it; libgl1 brings
# GLX and, through it, the Mesa drivers.
set(CPACK_DEBIAN_PACKAGE_DEPENDS libgl1)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
