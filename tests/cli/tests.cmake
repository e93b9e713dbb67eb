# End-to-end tests of the `zpk` tool, and of the PNG writing, listings and
# batch export it is built from. Qt Core only to parse the JSON listings back.
find_package(Qt6 REQUIRED COMPONENTS Core)

add_executable(cli_tests
  cli/BatchExportTest.cpp
  cli/CliTest.cpp
  cli/CommandLineTest.cpp
  cli/DemoImagesTest.cpp
  cli/IndexedPngTest.cpp
  cli/ListFormatTest.cpp
  cli/PngWriterTest.cpp
)
target_link_libraries(cli_tests PRIVATE zpkcli zpkpng zpkcore PkgConfig::SPNG Qt6::Core GTest::gtest GTest::gtest_main)
target_include_directories(cli_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_definitions(cli_tests PRIVATE
  ZPK_BINARY="$<TARGET_FILE:zpk>"
  ZPK_EXPECTED_VERSION="${PROJECT_VERSION}"
  ZPK_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
)
# the tests run the tool, so it must be built first
add_dependencies(cli_tests zpk)
gtest_discover_tests(cli_tests)
