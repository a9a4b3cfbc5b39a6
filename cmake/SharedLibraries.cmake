# Code that a host of the family and its modules share, built once as shared
# libraries beside the stand-ins. The host links them; the module links them
# too and finds them already loaded when the host opens it.

# The module framework: the bases through which a host calls every module.
# Their type information exists once, here, for the host and the module alike.
add_library(plotrex_framework SHARED
            ${PROJECT_SOURCE_DIR}/module/ModuleData.cpp
            ${PROJECT_SOURCE_DIR}/module/ModuleDisplay.cpp
            ${PROJECT_SOURCE_DIR}/module/LayerKey.cpp
            ${PROJECT_SOURCE_DIR}/module/LayerList.cpp
            ${PROJECT_SOURCE_DIR}/module/ProfileHelpers.cpp)
target_include_directories(plotrex_framework PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(plotrex_framework PUBLIC plotrex_platform plotrex_hostfamily)
plotrex_warnings(plotrex_framework)

# The module's published interface: the framework bases and what a host may
# know of the module data object, its commands, messages, graphs and
# settings. A host includes these and nothing else of the module.
add_library(plotrex_interface INTERFACE)
plotrex_publish(plotrex_interface interface)
target_link_libraries(plotrex_interface INTERFACE plotrex_framework plotrex_platform plotrex_hostfamily)

# The desktop device manager: the host owns it, initialises it and hands it
# to the module when it opens a view; the module's windows borrow its devices.
add_library(plotrex_desktop SHARED
            ${PROJECT_SOURCE_DIR}/desktop/DXDesktopDeviceManager.cpp
            ${PROJECT_SOURCE_DIR}/desktop/AdapterDevice.cpp)
target_include_directories(plotrex_desktop PRIVATE ${PROJECT_SOURCE_DIR})
plotrex_publish(plotrex_desktop desktop)
target_link_libraries(plotrex_desktop PUBLIC plotrex_platform plotrex_d3d9)
plotrex_warnings(plotrex_desktop)

# Access to the unit converter (loaded once per process from beside the host
# executable) and the spherical geodesy of positions and track distances.
add_library(plotrex_units SHARED
            ${PROJECT_SOURCE_DIR}/units/UnitConversion.cpp
            ${PROJECT_SOURCE_DIR}/units/Geodesy.cpp)
target_include_directories(plotrex_units PRIVATE ${PROJECT_SOURCE_DIR})
plotrex_publish(plotrex_units units)
target_link_libraries(plotrex_units PUBLIC plotrex_platform plotrex_hostfamily)
plotrex_warnings(plotrex_units)
