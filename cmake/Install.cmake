# The installation keeps the layout the host is built in: the program and all
# it loads in one folder, lib/plotrex/bin (the module, the unit converter and
# the user-message library are loaded from beside the executable, the shared
# libraries found through its $ORIGIN run path), and the sounder in
# ../NORVANE/ beside it, lib/plotrex/NORVANE. On the path, bin/plotrex-host is
# a relative link to the program; the loader and the host follow it to the
# real folder. No variable of the environment is needed.
set(PLOTREX_INSTALL_RUN_DIR lib/plotrex/bin)
set(PLOTREX_INSTALL_SOUNDER_DIR lib/plotrex/NORVANE)

install(TARGETS plotrex-host norvane-echogram RUNTIME DESTINATION ${PLOTREX_INSTALL_RUN_DIR})
install(TARGETS plotrex_platform plotrex_d3d9 plotrex_hostfamily plotrex_displaylist
                plotrex_framework plotrex_desktop plotrex_units Plotrex Converter VexIHM
        LIBRARY DESTINATION ${PLOTREX_INSTALL_RUN_DIR})
install(TARGETS ZXNorvane LIBRARY DESTINATION ${PLOTREX_INSTALL_SOUNDER_DIR})

set(links ${CMAKE_BINARY_DIR}/install-links)
file(MAKE_DIRECTORY ${links})
foreach(program plotrex-host norvane-echogram)
  file(CREATE_LINK ../${PLOTREX_INSTALL_RUN_DIR}/${program} ${links}/${program} SYMBOLIC)
  install(PROGRAMS ${links}/${program} DESTINATION bin)
endforeach()

install(FILES ${PLOTREX_MAN_PAGE}.gz DESTINATION share/man/man1)
