# Fails when a source file outside the toolkit backend includes a Qt header: only qt_backend/
# knows the toolkit (tests and the build-time generators in tools/ aside). SOURCE_DIR is the
# repository's top folder.
set(folders host interleaver model symbol resources platform tarnwick design_files simulation core_model)
set(offenders)
foreach(folder ${folders})
  file(GLOB_RECURSE sources ${SOURCE_DIR}/${folder}/*.cpp ${SOURCE_DIR}/${folder}/*.h)
  foreach(source ${sources})
    file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](Q[A-Za-z]|qt)")
    if(includes)
      file(RELATIVE_PATH shown ${SOURCE_DIR} ${source})
      list(APPEND offenders "${shown}: ${includes}")
    endif()
  endforeach()
endforeach()
if(offenders)
  list(JOIN offenders "\n  " text)
  message(FATAL_ERROR "Qt headers included outside qt_backend/:\n  ${text}")
endif()
