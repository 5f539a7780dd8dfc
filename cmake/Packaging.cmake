# What `cmake --install` puts where (GNU install directories), the desktop
# entry, icon and AppStream file, and the .deb that CPack builds from them.
include(GNUInstallDirs)

set(RAVELIN_APP_ID org.ravelin.Ravelin)

foreach(program ravelin ravelin-console q3sim ravelin-vbs)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()
# The shim is only ever started by a launcher from the game's folder (the
# start window copies it there), so it is not a command on PATH.
if(TARGET gatehop)
  install(TARGETS gatehop RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/ravelin)
endif()

# The defaults a first start copies into ~/.local/share/ravelin.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/assets/Scripts DESTINATION ${CMAKE_INSTALL_DATADIR}/ravelin)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/assets/img DESTINATION ${CMAKE_INSTALL_DATADIR}/ravelin
  FILES_MATCHING PATTERN "*.gif")

install(FILES ${PROJECT_SOURCE_DIR}/packaging/${RAVELIN_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/${RAVELIN_APP_ID}.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/${RAVELIN_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# A server as a user service (systemd looks in lib/systemd/user under the
# prefix: /usr for the .deb).
install(FILES "${PROJECT_SOURCE_DIR}/packaging/ravelin-console@.service"
  DESTINATION lib/systemd/user)

set(CPACK_PACKAGE_NAME ravelin)
set(CPACK_PACKAGE_VENDOR "Ravelin")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Operator console for Quake III Arena-engine dedicated servers")
set(CPACK_PACKAGE_DESCRIPTION
  "Ravelin drives the console of Quake III Arena-engine dedicated servers (ioquake3, OpenArena) on the same machine: console display with history and completion, VBScript operator scripts, player roster with kicks and bans, cvar editor, timed command lists and a memory monitor.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Ravelin maintainers <ravelin@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
# The dependencies are the Debian packages of the libraries the programs
# link (Qt 6, libcurl, the C++ runtime), as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "openarena-server | ioquake3-server")
set(CPACK_GENERATOR DEB)
include(CPack)
