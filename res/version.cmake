# The program's version data, kept in this one place. The about box and
# orvane-cli --version show it.
set(ORVANE_VERSION_MAJOR 1)
set(ORVANE_VERSION_MINOR 0)
set(ORVANE_VERSION_PATCH 0)
set(ORVANE_VERSION_BUILD 1)
set(ORVANE_VERSION_TEXT "${ORVANE_VERSION_MAJOR}.${ORVANE_VERSION_MINOR}.${ORVANE_VERSION_PATCH}.${ORVANE_VERSION_BUILD}")
set(ORVANE_FILE_DESCRIPTION "Pulse File")
set(ORVANE_INTERNAL_NAME "orvane")
set(ORVANE_ORIGINAL_FILENAME "orvane")
set(ORVANE_PRODUCT_NAME "Tessary")
set(ORVANE_LEGAL_COPYRIGHT "Copyright (C) 2026 the Orvane developers")
set(ORVANE_CAPTION_VERSION "V3.0")

configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in ${PROJECT_BINARY_DIR}/generated/orvane_version.h @ONLY)
add_library(orvane_version INTERFACE)
target_include_directories(orvane_version INTERFACE ${PROJECT_BINARY_DIR}/generated)
