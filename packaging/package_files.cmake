# What each package holds besides its programs: Debian's documentation
# files (the copyright and a compressed changelog, in a folder named after
# the package) and the compressed manual pages. Included by package.cmake
# once CPACK_COMPONENTS_ALL and the package names are known.

add_custom_command(
  OUTPUT ${PROJECT_BINARY_DIR}/packaging/changelog.Debian.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging
  COMMAND gzip -9nc ${CMAKE_CURRENT_LIST_DIR}/changelog > ${PROJECT_BINARY_DIR}/packaging/changelog.Debian.gz
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/changelog
  VERBATIM)
add_custom_target(orvane_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog.Debian.gz)

# Every package carries its own copy: Debian wants them in
# /usr/share/doc/<package>, and no package needs another to be installed.
foreach(component ${CPACK_COMPONENTS_ALL})
  string(TOUPPER ${component} upper)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${PROJECT_BINARY_DIR}/packaging/changelog.Debian.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${CPACK_DEBIAN_${upper}_PACKAGE_NAME} COMPONENT ${component})
endforeach()

# The layout of a pulse file and the schema of orvane-cli's JSON output,
# which the manual page points to, beside the command line.
install(FILES ${PROJECT_SOURCE_DIR}/docs/file-format.md ${PROJECT_SOURCE_DIR}/docs/json.md
              ${PROJECT_SOURCE_DIR}/docs/json.schema.json
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${CPACK_DEBIAN_CLI_PACKAGE_NAME} COMPONENT cli)

# The manual pages, compressed as Debian keeps them, each in the package of
# its program.
function(orvane_install_man_page page component)
  get_filename_component(name ${page} NAME)
  set(compressed ${PROJECT_BINARY_DIR}/packaging/${name}.gz)
  add_custom_command(
    OUTPUT ${compressed}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging
    COMMAND gzip -9nc ${page} > ${compressed}
    DEPENDS ${page}
    VERBATIM)
  add_custom_target(orvane_man_${name} ALL DEPENDS ${compressed})
  install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${component})
endfunction()

orvane_install_man_page(${PROJECT_SOURCE_DIR}/cli/orvane-cli.1 cli)
if(ORVANE_BUILD_GUI)
  orvane_install_man_page(${PROJECT_SOURCE_DIR}/res/man/orvane.1 desktop)
  orvane_install_man_page(${PROJECT_SOURCE_DIR}/res/man/orvane-view.1 desktop)
endif()
