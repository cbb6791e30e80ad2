# Installs BUILD_DIR into PREFIX (emptied first) and checks that the wizard, tarnwick and the user
# guide land where the wizard looks for them: the guide at bin/../zorvex_core/doc.
file(REMOVE_RECURSE ${PREFIX})
execute_process(
  COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
  RESULT_VARIABLE result
  OUTPUT_VARIABLE output
  ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${result}):\n${output}")
endif()

foreach(program bin/zorvex bin/tarnwick)
  if(NOT EXISTS ${PREFIX}/${program} OR IS_DIRECTORY ${PREFIX}/${program})
    message(FATAL_ERROR "${program} was not installed")
  endif()
  execute_process(COMMAND test -x ${PREFIX}/${program} RESULT_VARIABLE notExecutable)
  if(NOT notExecutable EQUAL 0)
    message(FATAL_ERROR "${program} is installed but not executable")
  endif()
endforeach()

set(guide ${PREFIX}/bin/../zorvex_core/doc/zorvex_guide.pdf)
if(NOT EXISTS ${guide})
  message(FATAL_ERROR "the user guide is not at ${guide}")
endif()
# "%PDF-" in hexadecimal, which keeps CMake's string handling out of the comparison.
file(READ ${guide} head LIMIT 5 HEX)
if(NOT head STREQUAL "255044462d")
  message(FATAL_ERROR "the installed user guide is no PDF: it starts with the bytes ${head}")
endif()
file(REMOVE_RECURSE ${PREFIX})
