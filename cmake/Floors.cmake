# The floors of src/, each a target of its own. A floor's include root holds
# links to its own folder and to the floors below it and nothing else, so
# an include of a higher or sideways floor does not compile; the floors
# below window/ never find Qt. tests/layers scans the include lines as well.
#
#   state <- container, decode <- draw <- export <- cli, window <- app
include_guard(GLOBAL)

get_filename_component(ZPK_SOURCE_ROOT "${CMAKE_CURRENT_LIST_DIR}/../src" ABSOLUTE)

# zpk_floor_includes(TARGET FLOOR...): TARGET compiles (and its users
# include) with the folders FLOOR... of src/ reachable, no others.
function(zpk_floor_includes target)
  set(root "${CMAKE_BINARY_DIR}/floors/${target}")
  file(MAKE_DIRECTORY "${root}")
  foreach(floor IN LISTS ARGN)
    if(NOT EXISTS "${root}/${floor}")
      file(CREATE_LINK "${ZPK_SOURCE_ROOT}/${floor}" "${root}/${floor}" SYMBOLIC)
    endif()
  endforeach()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE "${root}")
  else()
    target_include_directories(${target} PUBLIC "${root}")
  endif()
endfunction()

# The core: plain C++ with no Qt and no other library. zpk_add_core(SUFFIX)
# makes zpkstate, zpkcontainer, zpkdecode, zpkdraw and zpkcore (all four)
# with SUFFIX behind their names, so that the fuzz build can make its own
# with other compiler flags from this one list.
function(zpk_add_core suffix)
  set(src "${ZPK_SOURCE_ROOT}")
  add_library(zpkstate${suffix} INTERFACE)
  zpk_floor_includes(zpkstate${suffix} state)

  add_library(zpkcontainer${suffix} STATIC
    ${src}/container/Container.cpp
    ${src}/container/ContainerWriter.cpp)
  target_link_libraries(zpkcontainer${suffix} PUBLIC zpkstate${suffix})
  zpk_floor_includes(zpkcontainer${suffix} container state)

  add_library(zpkdecode${suffix} STATIC
    ${src}/decode/ColourRamp.cpp
    ${src}/decode/Decoder.cpp)
  target_link_libraries(zpkdecode${suffix} PUBLIC zpkstate${suffix})
  zpk_floor_includes(zpkdecode${suffix} decode state)

  add_library(zpkdraw${suffix} STATIC
    ${src}/draw/Draw.cpp
    ${src}/draw/Surface.cpp)
  target_link_libraries(zpkdraw${suffix} PUBLIC zpkdecode${suffix})
  zpk_floor_includes(zpkdraw${suffix} draw decode state)

  add_library(zpkcore${suffix} INTERFACE)
  target_link_libraries(zpkcore${suffix} INTERFACE zpkcontainer${suffix} zpkdraw${suffix})
endfunction()
