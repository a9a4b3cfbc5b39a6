# Profiles the host must refuse: it stops with exit code 2 and a message
# naming the file, before it changes anything (the file, its kind and
# permissions, the picture folder).
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

file(WRITE ${WORK}/readonly.ini "[Keep]\nValue=1\n")
file(CHMOD ${WORK}/readonly.ini PERMISSIONS OWNER_READ GROUP_READ WORLD_READ)
file(MAKE_DIRECTORY ${WORK}/folder.ini)
execute_process(COMMAND mkfifo ${WORK}/pipe.ini RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "mkfifo failed")
endif()
file(CREATE_LINK /dev/null ${WORK}/device.ini SYMBOLIC)

foreach(name readonly.ini folder.ini pipe.ini device.ini)
  set(profile ${WORK}/${name})
  execute_process(COMMAND ${BIN}/plotrex-host --profile ${profile} --out ${WORK}/pictures
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 60)
  message("${name}: ${rc}\n${out}${err}")
  if(NOT rc EQUAL 2)
    message(FATAL_ERROR "${name}: expected exit code 2, got ${rc}")
  endif()
  string(FIND "${err}" "profile ${profile} " named)
  string(FIND "${err}" "nothing was changed" said)
  if(named EQUAL -1 OR said EQUAL -1)
    message(FATAL_ERROR "${name}: the refusal was not explained")
  endif()
  if(EXISTS ${WORK}/pictures)
    message(FATAL_ERROR "${name}: the picture folder was made")
  endif()
endforeach()

file(READ ${WORK}/readonly.ini ini)
file(GLOB left ${WORK}/*)
list(SORT left)
set(expected ${WORK}/device.ini ${WORK}/folder.ini ${WORK}/pipe.ini ${WORK}/readonly.ini)
if(NOT ini STREQUAL "[Keep]\nValue=1\n" OR NOT left STREQUAL expected)
  message(FATAL_ERROR "something was changed: ${left}\n${ini}")
endif()
execute_process(COMMAND test -p ${WORK}/pipe.ini -a -d ${WORK}/folder.ini -a -c /dev/null
                RESULT_VARIABLE kinds)
execute_process(COMMAND stat -c %a ${WORK}/readonly.ini OUTPUT_VARIABLE mode
                OUTPUT_STRIP_TRAILING_WHITESPACE)
file(READ_SYMLINK ${WORK}/device.ini link)
if(NOT kinds EQUAL 0 OR NOT link STREQUAL "/dev/null" OR NOT mode STREQUAL "444")
  message(FATAL_ERROR "a refused file changed kind")
endif()
