# The host's include path against the module's internals: a file including
# every published header compiles with the host's flags, and one that adds a
# header of the module's internals, or a private one of a stand-in, fails for
# want of that header.
#   cmake -DCXX=compiler -DINCLUDES=file (one directory a line) -DSOURCE=tree
#         -DPUBLISHED=header|header... -DWORK=scratch -P host_sees_only_published.cmake
file(STRINGS ${INCLUDES} directories)
set(flags -std=c++20 -fsyntax-only)
foreach(directory ${directories})
  list(APPEND flags -I${directory})
endforeach()
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

function(compile name text)
  file(WRITE ${WORK}/${name}.cpp "${text}")
  execute_process(COMMAND ${CXX} ${flags} ${WORK}/${name}.cpp
                  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  set(status ${status} PARENT_SCOPE)
  set(output "${output}" PARENT_SCOPE)
endfunction()

string(REPLACE "|" ";" published "${PUBLISHED}")
set(text "")
foreach(header ${published})
  string(APPEND text "#include \"${header}\"\n")
endforeach()
compile(published "${text}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "The published headers do not compile with the host's flags:\n${output}")
endif()

foreach(internal layout/PlotrexOrganizer.h module/ModuleDataPlotrex.h graphdata/PlotrexData.h
                 echo/EtrSweepRecorder.h platform/HeadlessDesktopRecords.h direct3d/SoftDevice.h)
  if(NOT EXISTS ${SOURCE}/${internal})
    message(FATAL_ERROR "${internal} is gone: probe the host's reach with another internal header")
  endif()
  string(MAKE_C_IDENTIFIER ${internal} name)
  compile(${name} "#include \"module/ModuleDataPlotrexInterface.h\"\n#include \"${internal}\"\n")
  if(status EQUAL 0)
    message(FATAL_ERROR "The host's include path reaches ${internal}")
  endif()
  string(REPLACE "." "\\." pattern ${internal})
  if(NOT output MATCHES "${pattern}: No such file|'${pattern}' file not found")
    message(FATAL_ERROR "Including ${internal} failed, but not for want of it:\n${output}")
  endif()
endforeach()
list(LENGTH published count)
message(STATUS "The host's flags compile the ${count} published headers and reach no internal probed")
