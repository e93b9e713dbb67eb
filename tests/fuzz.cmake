# The fuzz targets' inputs replayed with the normal compiler: each target's
# LLVMFuzzerTestOneInput runs over its checked-in seeds (the hand-made ones in
# corpus/, those the fuzzers found in found/) and over every file
# of fixtures/malformed, with a small main instead of libFuzzer. In the asan
# preset this is the sanitizers' check of every seed and every past finding.
# Also: the malformed files against their MANIFEST, and a stress run that
# renders every row of every file with each option combination (leaks show
# under LeakSanitizer in the asan preset).
get_filename_component(ZPK_FUZZ_DIR "${CMAKE_CURRENT_LIST_DIR}/../fuzz" ABSOLUTE)
set(ZPK_MALFORMED_DIR "${CMAKE_CURRENT_LIST_DIR}/fixtures/malformed")

# The _large builds decode the large images the targets proper skip.
foreach(target IN ITEMS fuzz_container fuzz_render fuzz_roundtrip fuzz_differential fuzz_render_large
                        fuzz_differential_large)
  string(REGEX REPLACE "_large$" "" source ${target})
  add_executable(${target}_replay ${ZPK_FUZZ_DIR}/${source}.cpp ${ZPK_FUZZ_DIR}/replay/ReplayMain.cpp)
  target_include_directories(${target}_replay PRIVATE ${ZPK_FUZZ_DIR})
  target_link_libraries(${target}_replay PRIVATE zpkcore)
  if(NOT source STREQUAL target)
    target_compile_definitions(${target}_replay PRIVATE ZPK_FUZZ_LARGE_IMAGES)
  endif()
  add_test(NAME ${target}_replay
           COMMAND ${target}_replay ${ZPK_FUZZ_DIR}/corpus/${source} ${ZPK_FUZZ_DIR}/found/${source}
                   ${ZPK_MALFORMED_DIR})
endforeach()
target_sources(fuzz_differential_replay PRIVATE ${ZPK_FUZZ_DIR}/ReferenceDecoder.cpp)
target_sources(fuzz_differential_large_replay PRIVATE ${ZPK_FUZZ_DIR}/ReferenceDecoder.cpp)

add_executable(malformed_manifest ${ZPK_FUZZ_DIR}/replay/MalformedManifest.cpp)
target_include_directories(malformed_manifest PRIVATE ${ZPK_FUZZ_DIR})
target_link_libraries(malformed_manifest PRIVATE zpkcore)
add_test(NAME malformed_manifest COMMAND malformed_manifest ${ZPK_MALFORMED_DIR})

add_executable(core_stress ${ZPK_FUZZ_DIR}/replay/Stress.cpp)
target_link_libraries(core_stress PRIVATE zpkcore)
add_test(NAME core_stress COMMAND core_stress ${ZPK_MALFORMED_DIR} ${ZPK_FUZZ_DIR}/corpus)
