# Each library sees only its own folder and the folders of what it links, so
# an include from a layer above fails to build. Headers are named from the
# source root ("drive/transport.h"); a target's view is a directory of the
# build tree holding a link to each folder or header it exposes.
#
# quillan_expose_folder(<target> <folder>): "<folder>/..." for the target and
# every target linking it.
function(quillan_expose_folder target folder)
  set(view ${CMAKE_BINARY_DIR}/include/${target})
  get_filename_component(parent ${view}/${folder} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${view}/${folder} SYMBOLIC)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${view})
  else()
    target_include_directories(${target} PUBLIC ${view})
  endif()
endfunction()

# quillan_expose_headers(<target> <header>...): single headers of a folder
# whose other headers stay out of reach (a header-only piece of a layer that
# the layers below it may use).
function(quillan_expose_headers target)
  set(view ${CMAKE_BINARY_DIR}/include/${target})
  foreach(header ${ARGN})
    get_filename_component(parent ${view}/${header} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${header} ${view}/${header} SYMBOLIC)
  endforeach()
  target_include_directories(${target} INTERFACE ${view})
endfunction()
