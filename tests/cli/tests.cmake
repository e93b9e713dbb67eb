# End-to-end tests of the `zpk` tool, and of the export floor it is built
# on (PNG writing, batch export, GIF animations, read back with giflib). The JSON listings are parsed back with
# nlohmann's parser, so these tests need no Qt.
find_package(nlohmann_json REQUIRED)

add_executable(cli_tests
  cli/BatchExportTest.cpp
  cli/CliTest.cpp
  cli/CommandLineTest.cpp
  cli/CompareTest.cpp
  cli/ContainerEditTest.cpp
  cli/DiffCommandTest.cpp
  cli/GifTest.cpp
  cli/IndexedPngTest.cpp
  cli/InputTest.cpp
  cli/LimitsTest.cpp
  cli/ListFormatTest.cpp
  cli/ListIndexTest.cpp
  cli/OutputTest.cpp
  cli/PackCommandTest.cpp
  cli/PaletteCommandTest.cpp
  cli/PackLibraryTest.cpp
  cli/PaletteFileTest.cpp
  cli/PngWriterTest.cpp
  cli/SheetTest.cpp
  cli/SmallestFormTest.cpp
  cli/SubCommandTest.cpp
  cli/ThumbnailTest.cpp
  cli/UpdateTest.cpp
)
target_link_libraries(cli_tests PRIVATE zpkcli PkgConfig::SPNG ${GIFLIB_LIBRARY} nlohmann_json::nlohmann_json GTest::gtest GTest::gtest_main)
target_include_directories(cli_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_include_directories(cli_tests SYSTEM PRIVATE ${GIFLIB_INCLUDE_DIR})
target_compile_definitions(cli_tests PRIVATE
  ZPK_BINARY="$<TARGET_FILE:zpk>"
  ZPK_EXPECTED_VERSION="${PROJECT_VERSION}"
  ZPK_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
)
# the tests run the tool, so it must be built first
add_dependencies(cli_tests zpk)
# label `threads`: the batch export engine, and the tool's commands that run
# it, are run on threads; the tsan test preset runs those of them that start
# the engine, safe output or the locked rewrite (CMakePresets.json)
gtest_discover_tests(cli_tests PROPERTIES LABELS threads)
