# What `cmake --install` puts in place besides the programs (orvane here and
# orvane-cli in cli/ install themselves): the menu entry, the pulse file type
# it opens, the icon, and the session bus's activation file, so that a
# client's request for "Orvane.Application" starts the installed program
# before anyone has run it. A user start writes its own activation file
# into the user's data home. All of it belongs to the desktop package.
set(ORVANE_RES_DIR ${PROJECT_SOURCE_DIR}/res)

configure_file(${ORVANE_RES_DIR}/orvane.desktop ${CMAKE_CURRENT_BINARY_DIR}/orvane.desktop @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/orvane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
        COMPONENT desktop)
# The shared MIME database is rebuilt from share/mime/packages by the
# system (a trigger on Debian, update-mime-database elsewhere).
install(FILES ${ORVANE_RES_DIR}/mime/orvane.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages COMPONENT desktop)

foreach(size 16 32)
  install(FILES ${ORVANE_RES_DIR}/icons/orvane-${size}.xpm
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME orvane.xpm COMPONENT desktop)
endforeach()

# The program's path depends on the prefix chosen at install time
# (cmake --install --prefix), so the file is made then.
if(IS_ABSOLUTE "${CMAKE_INSTALL_BINDIR}")
  set(ORVANE_BINDIR_AT_INSTALL "${CMAKE_INSTALL_BINDIR}")
else()
  set(ORVANE_BINDIR_AT_INSTALL "\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}")
endif()
install(CODE "
  set(ORVANE_INSTALLED_PROGRAM \"${ORVANE_BINDIR_AT_INSTALL}/orvane\")
  configure_file(\"${ORVANE_RES_DIR}/Orvane.Application.service.in\"
                 \"${CMAKE_CURRENT_BINARY_DIR}/Orvane.Application.service\" @ONLY)
" COMPONENT desktop)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/Orvane.Application.service DESTINATION ${CMAKE_INSTALL_DATADIR}/dbus-1/services
        COMPONENT desktop)
