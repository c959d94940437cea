# The Debian packages: `cpack -G DEB` in the build folder gives one package
# per install component, so that a server takes the command line without
# Qt or Python:
#   cli      orvane-cli_<version>_amd64.deb      orvane-cli, its man page, bash completion
#   desktop  orvane_<version>_amd64.deb          orvane, orvane-view, their man pages, the menu
#                                                entry, the pulse file type, icons, bus activation
#   python   python3-orvane_<version>_amd64.deb  the Python module (when it is built)
# Library dependencies come from the binaries (dpkg-shlibdeps); what the
# binaries cannot tell (the interpreter, numpy, the optional Python
# libraries) is written here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvane)
set(CPACK_PACKAGE_VERSION ${ORVANE_VERSION_TEXT})
# The program's own version stays 1.0.0.1; the Debian revision counts the
# packaging. Revision 2 split the one package of revision 1 (no revision
# number) into three.
set(CPACK_DEBIAN_PACKAGE_RELEASE 2)
# What the one package held before that moved into orvane-cli and
# python3-orvane: dpkg lets the new package take over those files when the
# old one is upgraded, instead of refusing to overwrite them.
set(ORVANE_SPLIT_FROM "orvane (<< ${ORVANE_VERSION_TEXT}-2)")
set(CPACK_PACKAGE_VENDOR "the Orvane developers")
set(CPACK_PACKAGE_CONTACT "Orvane developers <developers@orvane.org>")
# No CPACK_PACKAGE_DESCRIPTION_SUMMARY: CPack would put it before every
# package's own summary. Each package's first line below is its summary.
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://orvane.org/")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
# The activation file names the installed program, so the staging area
# must not leak into it: install with DESTDIR under the final prefix.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
# Tests, benchmarks and fuzz programs install nothing; only the product.
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};ALL;/")

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING IGNORE)
set(CPACK_COMPONENTS_ALL cli)

set(CPACK_DEBIAN_CLI_PACKAGE_NAME orvane-cli)
set(CPACK_DEBIAN_CLI_PACKAGE_BREAKS "${ORVANE_SPLIT_FROM}")
set(CPACK_DEBIAN_CLI_PACKAGE_REPLACES "${ORVANE_SPLIT_FROM}")
set(CPACK_DEBIAN_CLI_DESCRIPTION
    "pulse file converter for the command line (${ORVANE_PRODUCT_NAME})
Converts pulse files (.spf) into editable text files and back, checks,
compares, repairs and salvages them, prints their figures and headers (also
as JSON), and reads and sets the pulse power of T records in place, from
scripts and batch jobs. Needs no display: this package holds only
orvane-cli, its manual page, its bash completion and the documents of the
file format and the JSON output.")

if(ORVANE_BUILD_GUI)
  list(APPEND CPACK_COMPONENTS_ALL desktop)
  # The package keeps the name of the one package there was before.
  set(CPACK_DEBIAN_DESKTOP_PACKAGE_NAME orvane)
  # The desktop programs run the engine themselves; the command line is
  # what their help points scripts to.
  set(CPACK_DEBIAN_DESKTOP_PACKAGE_RECOMMENDS orvane-cli)
  set(CPACK_DEBIAN_DESKTOP_DESCRIPTION
      "pulse file converter and record viewer (${ORVANE_PRODUCT_NAME})
Converts pulse files (.spf) into editable text files and back (every bit
with --exact), and reads and sets the pulse power of T records in
place. Holds the Qt desktop program orvane with its menu entry, the record
viewer orvane-view, and the pulse file type for file managers.")
endif()

if(TARGET _orvane)
  list(APPEND CPACK_COMPONENTS_ALL python)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-orvane)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_BREAKS "${ORVANE_SPLIT_FROM}")
  set(CPACK_DEBIAN_PYTHON_PACKAGE_REPLACES "${ORVANE_SPLIT_FROM}")
  # The extension is built for one minor version of the interpreter.
  set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS "${ORVANE_PYTHON_DEPENDS}")
  # Imported only when used: xarray and NetCDF for to_xarray and
  # to_netcdf, dask for stack, distributed for work on a cluster.
  set(CPACK_DEBIAN_PYTHON_PACKAGE_RECOMMENDS "python3-xarray, python3-netcdf4, python3-dask, python3-distributed")
  set(CPACK_DEBIAN_PYTHON_PACKAGE_SUGGESTS "python3-pandas, python3-matplotlib")
  set(CPACK_DEBIAN_PYTHON_DESCRIPTION
      "pulse files for Python and numpy (${ORVANE_PRODUCT_NAME})
The orvane module gives the records of a pulse file (.spf) to numpy without
copying them, writes new sealed pulse files from arrays, and runs the
converter's engine (to text, from text, checks, pulse power) from scripts.
With xarray, NetCDF and dask it also makes Datasets, NetCDF-4 files and lazy
arrays across many files.")
endif()

include(${CMAKE_CURRENT_LIST_DIR}/package_files.cmake)
include(CPack)
