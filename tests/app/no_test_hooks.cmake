# Fails when the program file holds any trace of the test hooks: their bus
# interface, their object path or their class.
file(STRINGS "${PROGRAM}" hits REGEX "Orvane\\.TestHooks|/Orvane/TestHooks|TestHooks|testbed")
if(hits)
  message(FATAL_ERROR "${PROGRAM} contains test hook code: ${hits}")
endif()
