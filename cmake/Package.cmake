# A Debian package of the installation (cpack -G DEB in a build folder). Its
# library dependencies are computed from the programs and libraries by
# dpkg-shlibdeps; the fonts are named here, since no tool sees that the text
# asks fontconfig for "Arial", which Liberation Sans stands in for, and SDL,
# which the host loads only when it opens a window.
set(CPACK_PACKAGE_NAME plotrex)
set(CPACK_PACKAGE_VENDOR "Plotrex")
set(CPACK_PACKAGE_CONTACT "Plotrex developers <plotrex@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "graph module for marine navigation, with its reference host")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Plotrex draws, against the distance run along the ship's track, the depth profile, the\n"
       "water temperature, the depth forecast, an earlier survey, the vessel, the trawl and the\n"
       "echogram. plotrex-host loads it as a navigation host does and sails a built-in voyage\n"
       "or replays a log.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Our own libraries are found in the package, not among the system's.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
    ${CMAKE_BINARY_DIR}/bin ${CMAKE_BINARY_DIR}/NORVANE)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2, libsdl2-2.0-0")
include(CPack)
