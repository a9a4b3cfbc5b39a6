if(PLOTREX_SANITIZE)
  set(PLOTREX_SANITIZERS ${PLOTREX_SANITIZE})
  # Neither compiler counts a float too large for its integer type as
  # undefined behaviour unless asked (GCC never by default, clang not in every
  # version): recorded windows and depths come from files.
  if(PLOTREX_SANITIZE MATCHES "undefined" AND CMAKE_CXX_COMPILER_ID MATCHES "Clang|GNU")
    string(APPEND PLOTREX_SANITIZERS ",float-cast-overflow")
  endif()
  message(STATUS "Sanitizers: ${PLOTREX_SANITIZERS}")
  add_compile_options(-fsanitize=${PLOTREX_SANITIZERS} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${PLOTREX_SANITIZERS})
endif()
