# The Debian package: `cpack -G DEB` in the build folder gives
# orvane_<version>_amd64.deb with both programs, the man page, the menu
# entry and icons, the bus activation file, bash completion and, when it is
# built, the Python module. Its dependencies come from the binaries
# (dpkg-shlibdeps).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvane)
set(CPACK_PACKAGE_VERSION ${ORVANE_VERSION_TEXT})
set(CPACK_PACKAGE_VENDOR "the Orvane developers")
set(CPACK_PACKAGE_CONTACT "Orvane developers <developers@orvane.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "pulse file converter (${ORVANE_PRODUCT_NAME})")
set(CPACK_PACKAGE_DESCRIPTION
    "Converts pulse files (.spf) into editable text files and back, byte for\n\
byte in both directions, and reads and sets the pulse power of T records in\n\
place. Holds the desktop program orvane, the record viewer orvane-view and\n\
the command-line program orvane-cli for scripts and batch jobs.")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The Python module needs the interpreter it was built for and numpy.
if(TARGET _orvane)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "${ORVANE_PYTHON_DEPENDS}")
endif()
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://orvane.org/")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
# The activation file names the installed program, so the staging area
# must not leak into it: install with DESTDIR under the final prefix.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
# Tests, benchmarks and fuzz programs install nothing; only the product.
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};ALL;/")

# Debian's documentation files: the copyright and a compressed changelog.
set(ORVANE_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/orvane)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION ${ORVANE_DOC_DIR})
add_custom_command(
  OUTPUT ${PROJECT_BINARY_DIR}/packaging/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging
  COMMAND gzip -9nc ${CMAKE_CURRENT_LIST_DIR}/changelog > ${PROJECT_BINARY_DIR}/packaging/changelog.gz
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/changelog
  VERBATIM)
add_custom_target(orvane_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${PROJECT_BINARY_DIR}/packaging/changelog.gz DESTINATION ${ORVANE_DOC_DIR})

# The manual pages, compressed as Debian keeps them.
set(ORVANE_MAN_PAGES ${PROJECT_SOURCE_DIR}/cli/orvane-cli.1)
if(ORVANE_BUILD_GUI)
  list(APPEND ORVANE_MAN_PAGES ${PROJECT_SOURCE_DIR}/res/man/orvane.1 ${PROJECT_SOURCE_DIR}/res/man/orvane-view.1)
endif()
set(ORVANE_COMPRESSED_MAN_PAGES)
foreach(page ${ORVANE_MAN_PAGES})
  get_filename_component(name ${page} NAME)
  set(compressed ${PROJECT_BINARY_DIR}/packaging/${name}.gz)
  add_custom_command(
    OUTPUT ${compressed}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging
    COMMAND gzip -9nc ${page} > ${compressed}
    DEPENDS ${page}
    VERBATIM)
  list(APPEND ORVANE_COMPRESSED_MAN_PAGES ${compressed})
endforeach()
add_custom_target(orvane_man_pages ALL DEPENDS ${ORVANE_COMPRESSED_MAN_PAGES})
install(FILES ${ORVANE_COMPRESSED_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

include(CPack)
