# The module: every subsystem folder compiles into one object library, which
# becomes the shared module the host loads (exporting only CreateModuleData)
# and is linked whole into the test programs. What it shares with the host
# (framework bases, desktop device manager, units) is built once, in
# cmake/SharedLibraries.cmake.
set(PLOTREX_MODULE_FOLDERS module graphdata layout drawing echo persistence units resources)
set(PLOTREX_MODULE_SOURCES "")
foreach(folder ${PLOTREX_MODULE_FOLDERS})
  file(GLOB_RECURSE folder_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
  list(APPEND PLOTREX_MODULE_SOURCES ${folder_sources})
endforeach()
list(REMOVE_ITEM PLOTREX_MODULE_SOURCES ${PROJECT_SOURCE_DIR}/module/ModuleEntry.cpp)
get_target_property(shared_framework plotrex_framework SOURCES)
get_target_property(shared_desktop plotrex_desktop SOURCES)
get_target_property(shared_units plotrex_units SOURCES)
list(REMOVE_ITEM PLOTREX_MODULE_SOURCES ${shared_framework} ${shared_desktop} ${shared_units})

add_library(plotrex_objs OBJECT ${PLOTREX_MODULE_SOURCES})
set_target_properties(plotrex_objs PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
target_include_directories(plotrex_objs PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(plotrex_objs PUBLIC plotrex_platform plotrex_hostfamily plotrex_displaylist GDAL::GDAL)
target_link_libraries(plotrex_objs PUBLIC plotrex_d3d9 plotrex_framework plotrex_desktop plotrex_units)
plotrex_warnings(plotrex_objs)

add_library(Plotrex MODULE module/ModuleEntry.cpp)
set_target_properties(Plotrex PROPERTIES PREFIX "" SUFFIX ".so"
                      CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
target_include_directories(Plotrex PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(Plotrex PRIVATE plotrex_objs)
target_link_options(Plotrex PRIVATE -Wl,--no-undefined)
plotrex_warnings(Plotrex)
