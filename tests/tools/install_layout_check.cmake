# Installs BUILD_DIR into PREFIX (emptied first) and checks that the wizard, tarnwick and the user
# guide land where the wizard looks for them: the guide at bin/../zorvex_core/doc, the library
# cores where tarnwick finds them.
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
# The installed tarnwick finds the installed library cores (and no others) for a design.
file(MAKE_DIRECTORY ${PREFIX}/designs)
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env --unset=ZORVEX_HDL_DIR --unset=DISPLAY --unset=WAYLAND_DISPLAY
          ${PREFIX}/bin/tarnwick -n -silent ${PREFIX}/designs/f.vhd
  WORKING_DIRECTORY ${PREFIX}/designs
  RESULT_VARIABLE result
  OUTPUT_VARIABLE output
  ERROR_VARIABLE output)
if(NOT result EQUAL 0 OR NOT EXISTS ${PREFIX}/designs/conv_qzram.vhd)
  message(FATAL_ERROR "the installed tarnwick made no copy of the installed core (${result}):\n${output}")
endif()
file(REMOVE_RECURSE ${PREFIX})
