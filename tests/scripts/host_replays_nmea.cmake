# Replays the small test log: the summary counts what was skipped, and a bad
# command line or an unreadable log stops the host without touching the profile.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(profile ${WORK}/profile.ini)
execute_process(COMMAND ${BIN}/plotrex-host --nmea ${DATA}/small_voyage.nmea --profile ${profile}
                        --out ${WORK}/pictures
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
message("${out}${err}")
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "plotrex-host exited with ${rc}")
endif()
foreach(expected "180 host cycles" "794 read" "4 malformed" "4 failed the checksum" "6 skipped"
                 "Distance run: 2.9")
  string(FIND "${out}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the summary lacks '${expected}'")
  endif()
endforeach()

file(WRITE ${profile} "[Keep]\nValue = 1\n")
foreach(bad "--nmea;${WORK}/missing.nmea" "--bogus" "--speed;fast")
  execute_process(COMMAND ${BIN}/plotrex-host ${bad} --profile ${profile}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(rc EQUAL 0 OR err STREQUAL "")
    message(FATAL_ERROR "'${bad}' should fail with a message (exit ${rc})")
  endif()
endforeach()
file(READ ${profile} ini)
if(NOT ini STREQUAL "[Keep]\nValue = 1\n")
  message(FATAL_ERROR "a failed start touched the profile:\n${ini}")
endif()
