# Replays the small test log and a damaged one: the summary counts what was
# skipped and set aside, and a bad command line or a log that cannot be read or
# holds no position stops the host without touching the profile.
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

# A damaged log (CR line ends, comments, a second receiver, a date in 2099,
# the receiver's clock stepping back an hour, instruments without data,
# impossible values, an endless line): each kind counted, the voyage whole,
# every fix sailed.
execute_process(COMMAND ${BIN}/plotrex-host --nmea ${DATA}/damaged_voyage.nmea --profile ${profile}
                        --out ${WORK}/pictures-damaged
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
message("${out}${err}")
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "plotrex-host exited with ${rc} on the damaged log")
endif()
foreach(expected "181 host cycles over 30 minutes" "986 read, 781 used, 188 skipped, 6 without data"
                 "4 malformed, 4 failed the checksum, 1 too long, 2 out of range\n"
                 "NMEA time jumps: 3, their fixes sailed at the log's pace"
                 "positions from: GP (180 sentences of other receivers skipped)"
                 "Distance run: 2.98 NM")
  string(FIND "${out}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the summary of the damaged log lacks '${expected}'")
  endif()
endforeach()

file(WRITE ${profile} "[Keep]\nValue = 1\n")
file(WRITE ${WORK}/empty.nmea "")
file(WRITE ${WORK}/nofix.nmea "$GPGGA,100000.00,,,,,0,00,,,M,,M,,*49\r\n")
foreach(bad "--nmea;${WORK}/missing.nmea" "--nmea;${WORK}" "--nmea;${WORK}/empty.nmea"
            "--nmea;${WORK}/nofix.nmea" "--bogus" "--speed;fast")
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
