# The floors of src/, each a target of its own, and what each may include.
# This list is the one place they are written: the include roots below and
# the include scan of tests/layers read it. A floor's include root holds
# links to its own folder and to the floors it may build on and nothing
# else, so an include of a higher or sideways floor does not compile; the
# floors below window/ never find Qt.
include_guard(GLOBAL)

# The floors, bottom up; ZPK_FLOOR_USES_<floor> lists every floor it may
# include besides itself (written out whole, not followed through).
set(ZPK_FLOORS state io container decode draw png gif palette overview export compare pack cli window app)
set(ZPK_FLOOR_USES_state)
set(ZPK_FLOOR_USES_io state)
set(ZPK_FLOOR_USES_container state io)
set(ZPK_FLOOR_USES_decode state)
set(ZPK_FLOOR_USES_draw state decode)
set(ZPK_FLOOR_USES_png state decode draw)
set(ZPK_FLOOR_USES_gif state decode draw)
set(ZPK_FLOOR_USES_palette state io decode draw png)
set(ZPK_FLOOR_USES_overview state io container decode draw png)
set(ZPK_FLOOR_USES_export state io container decode draw png gif)
set(ZPK_FLOOR_USES_compare state io container decode draw png gif export)
set(ZPK_FLOOR_USES_pack state io container decode draw png gif export)
set(ZPK_FLOOR_USES_cli state io container decode draw png gif palette overview export compare pack)
set(ZPK_FLOOR_USES_window state io container decode draw png gif palette overview export compare pack)
set(ZPK_FLOOR_USES_app state io container decode draw png gif palette overview export compare pack window)
# tools/ sits beside src/ and is held to the floors below the front ends
set(ZPK_FLOOR_USES_tools state io container decode draw png gif palette overview export pack)
# web/ (the page's WebAssembly module) sits beside src/ too, on the floors
# that parse, decode and draw: none of them reads a file or needs a library
set(ZPK_FLOOR_USES_web state io container decode draw)
# Only these may include Qt.
set(ZPK_QT_FLOORS window app)

get_filename_component(ZPK_SOURCE_ROOT "${CMAKE_CURRENT_LIST_DIR}/../src" ABSOLUTE)

# zpk_floor_includes(TARGET FLOOR): TARGET compiles (and its users include)
# with FLOOR's folder of src/ and those of the floors it uses reachable, no
# others.
function(zpk_floor_includes target floor)
  set(root "${CMAKE_BINARY_DIR}/floors/${target}")
  file(MAKE_DIRECTORY "${root}")
  foreach(reachable IN LISTS floor ZPK_FLOOR_USES_${floor})
    if(NOT EXISTS "${root}/${reachable}")
      file(CREATE_LINK "${ZPK_SOURCE_ROOT}/${reachable}" "${root}/${reachable}" SYMBOLIC)
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
# makes zpkstate, zpkio, zpkcontainer, zpkdecode, zpkdraw and zpkcore (all
# of them) with SUFFIX behind their names, so that the fuzz build can make
# its own with other compiler flags from this one list.
function(zpk_add_core suffix)
  set(src "${ZPK_SOURCE_ROOT}")
  find_package(Threads REQUIRED)
  add_library(zpkstate${suffix} INTERFACE)
  zpk_floor_includes(zpkstate${suffix} state)

  add_library(zpkio${suffix} STATIC
    ${src}/io/FileOutput.cpp
    ${src}/io/InputFile.cpp
    ${src}/io/TemporaryFiles.cpp)
  target_link_libraries(zpkio${suffix} PUBLIC zpkstate${suffix} Threads::Threads)
  zpk_floor_includes(zpkio${suffix} io)

  add_library(zpkcontainer${suffix} STATIC
    ${src}/container/Container.cpp
    ${src}/container/ContainerLoad.cpp
    ${src}/container/ContainerPlan.cpp
    ${src}/container/ContainerWriter.cpp)
  target_link_libraries(zpkcontainer${suffix} PUBLIC zpkio${suffix})
  zpk_floor_includes(zpkcontainer${suffix} container)

  add_library(zpkdecode${suffix} STATIC
    ${src}/decode/ColourRamp.cpp
    ${src}/decode/Decoder.cpp)
  target_link_libraries(zpkdecode${suffix} PUBLIC zpkstate${suffix})
  zpk_floor_includes(zpkdecode${suffix} decode)

  add_library(zpkdraw${suffix} STATIC
    ${src}/draw/Draw.cpp
    ${src}/draw/Surface.cpp)
  target_link_libraries(zpkdraw${suffix} PUBLIC zpkdecode${suffix})
  zpk_floor_includes(zpkdraw${suffix} draw)

  add_library(zpkcore${suffix} INTERFACE)
  target_link_libraries(zpkcore${suffix} INTERFACE zpkcontainer${suffix} zpkdraw${suffix})
endfunction()
