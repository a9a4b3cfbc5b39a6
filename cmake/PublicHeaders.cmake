# Every library compiles with the whole tree on its include path, privately;
# what the targets that link it may include is its set of public headers,
# written once in cmake/layers.txt ("@name: ..." lines). A set is staged into
# build/public/<name>/ as links to the sources, with the folder/header
# spelling kept, and that folder alone is the library's public include path:
# a header outside the set is not there to be found.
set(PLOTREX_LAYERS ${PROJECT_SOURCE_DIR}/cmake/layers.txt)
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PLOTREX_LAYERS})
file(STRINGS ${PLOTREX_LAYERS} PLOTREX_SET_LINES REGEX "^@[A-Za-z0-9_]+:")

# plotrex_public_set(name out): the headers of a set that exist, as paths from
# the root of the tree; headers listed but not in the tree are left out.
function(plotrex_public_set name out)
  set(included "")
  set(excluded "")
  foreach(line ${PLOTREX_SET_LINES})
    if(NOT line MATCHES "^@${name}:(.*)$")
      continue()
    endif()
    separate_arguments(items UNIX_COMMAND "${CMAKE_MATCH_1}")
    foreach(item ${items})
      if(item MATCHES "^@(.+)$")
        plotrex_public_set(${CMAKE_MATCH_1} nested)
        list(APPEND included ${nested})
      elseif(item MATCHES "^!(.+)$")
        list(APPEND excluded ${CMAKE_MATCH_1})
      elseif(item MATCHES "[*?]")
        file(GLOB found CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/${item})
        list(APPEND included ${found})
      elseif(EXISTS ${PROJECT_SOURCE_DIR}/${item})
        list(APPEND included ${item})
      endif()
    endforeach()
  endforeach()
  if(excluded)
    list(REMOVE_ITEM included ${excluded})
  endif()
  if(NOT included)
    message(FATAL_ERROR "cmake/layers.txt: the set @${name} holds no header")
  endif()
  list(REMOVE_DUPLICATES included)
  set(${out} ${included} PARENT_SCOPE)
endfunction()

# plotrex_stage(dir links...): dir afresh, holding links to the given paths of
# the tree (files or folders) under the same names.
function(plotrex_stage dir)
  file(REMOVE_RECURSE ${dir})
  foreach(path ${ARGN})
    get_filename_component(parent ${dir}/${path} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${path} ${dir}/${path} SYMBOLIC)
  endforeach()
endfunction()

# plotrex_publish(target set): the set's headers are what the target's users
# may include.
function(plotrex_publish target set)
  plotrex_public_set(${set} headers)
  plotrex_stage(${CMAKE_BINARY_DIR}/public/${set} ${headers})
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${CMAKE_BINARY_DIR}/public/${set})
  else()
    target_include_directories(${target} PUBLIC ${CMAKE_BINARY_DIR}/public/${set})
  endif()
endfunction()

# plotrex_publish_folder(target folder): a program's own folder, whole, for
# its sources and tests, without the rest of the tree.
function(plotrex_publish_folder target folder)
  plotrex_stage(${CMAKE_BINARY_DIR}/folders/${folder} ${folder})
  target_include_directories(${target} PUBLIC ${CMAKE_BINARY_DIR}/folders/${folder})
endfunction()
