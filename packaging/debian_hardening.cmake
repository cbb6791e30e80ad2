# Debian's hardening flags, as dpkg-buildflags gives them to every package it builds: fortified
# libc calls (-D_FORTIFY_SOURCE=2), the strong stack protector, format-string checks, a read-only
# relocation table bound at start (-Wl,-z,relro -Wl,-z,now), and position-independent executables.
#
# The hardening flags are what dpkg-buildflags adds with the hardening features on and not with
# them off; the optimisation and debugging flags stay the build type's. Only optimised builds are
# hardened (the fortified calls need the optimiser), and never a sanitizer or fuzzing build, whose
# instrumentation replaces these checks.

if(ZORVEX_SANITIZE OR ZORVEX_FUZZ OR CMAKE_BUILD_TYPE STREQUAL "Debug")
  return()
endif()

find_program(DPKG_BUILDFLAGS_EXECUTABLE dpkg-buildflags)
if(NOT DPKG_BUILDFLAGS_EXECUTABLE)
  message(WARNING "dpkg-buildflags (package dpkg-dev) is missing: the programs are built without Debian's hardening flags")
  return()
endif()

# Sets out to the words of dpkg-buildflags' flag variable that the hardening features add.
function(zorvex_hardening_flags variable out)
  foreach(setting on off)
    if(setting STREQUAL on)
      set(features hardening=+all)
    else()
      set(features hardening=-all)
    endif()
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=${features}
              ${DPKG_BUILDFLAGS_EXECUTABLE} --get ${variable}
      OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "dpkg-buildflags --get ${variable} failed")
    endif()
    separate_arguments(flags_${setting} UNIX_COMMAND "${flags}")
  endforeach()
  list(REMOVE_ITEM flags_on ${flags_off})
  set(${out} ${flags_on} PARENT_SCOPE)
endfunction()

zorvex_hardening_flags(CPPFLAGS ZORVEX_HARDENING_CPPFLAGS)
zorvex_hardening_flags(CXXFLAGS ZORVEX_HARDENING_CXXFLAGS)
zorvex_hardening_flags(LDFLAGS ZORVEX_HARDENING_LDFLAGS)
string(JOIN " " shown ${ZORVEX_HARDENING_CPPFLAGS} ${ZORVEX_HARDENING_CXXFLAGS} ${ZORVEX_HARDENING_LDFLAGS})
message(STATUS "Debian's hardening flags: ${shown}")
add_compile_options(${ZORVEX_HARDENING_CPPFLAGS} ${ZORVEX_HARDENING_CXXFLAGS})
add_link_options(${ZORVEX_HARDENING_LDFLAGS})

# The compiler makes position-independent executables by default on Debian; asked for explicitly,
# they stay so with any compiler CMake finds.
include(CheckPIESupported)
check_pie_supported()
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
