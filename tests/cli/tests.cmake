# End-to-end tests of the `zpk` tool, and of the PNG writing it shares.
add_executable(cli_tests
  cli/CliTest.cpp
  cli/PngWriterTest.cpp
  cli/CommandLineTest.cpp
  cli/DemoImagesTest.cpp
)
target_link_libraries(cli_tests PRIVATE zpkcli zpkpng zpkcore PkgConfig::SPNG GTest::gtest GTest::gtest_main)
target_include_directories(cli_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_definitions(cli_tests PRIVATE
  ZPK_BINARY="$<TARGET_FILE:zpk>"
  ZPK_EXPECTED_VERSION="${PROJECT_VERSION}"
  ZPK_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
)
# the tests run the tool, so it must be built first
add_dependencies(cli_tests zpk)
gtest_discover_tests(cli_tests)
