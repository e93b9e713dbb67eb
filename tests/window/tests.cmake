# The viewer's window, tested with QtTest on Qt's offscreen platform (no
# display needed). Included from tests/CMakeLists.txt when the GUI is built.
find_package(Qt6 REQUIRED COMPONENTS Test Widgets)

# LeakSanitizer: leaks inside the system's font and X libraries, not ours.
set(ZPK_WINDOW_TEST_ENV
  "QT_QPA_PLATFORM=offscreen"
  "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/lsan.supp:print_suppressions=0"
)

foreach(test IN ITEMS MainWindowTest WindowCloseTest ViewerStressTest)
  add_executable(${test} ${CMAKE_CURRENT_LIST_DIR}/${test}.cpp ${CMAKE_CURRENT_LIST_DIR}/TestContainers.h)
  set_target_properties(${test} PROPERTIES AUTOMOC ON)
  target_link_libraries(${test} PRIVATE zpkwindow Qt6::Test Qt6::Widgets)
  target_include_directories(${test} PRIVATE ${CMAKE_CURRENT_LIST_DIR})
  add_test(NAME window.${test} COMMAND ${test})
  set_tests_properties(window.${test} PROPERTIES ENVIRONMENT "${ZPK_WINDOW_TEST_ENV}" TIMEOUT 120)
endforeach()
target_compile_definitions(ViewerStressTest PRIVATE
  ZPK_MALFORMED_DIR="${CMAKE_CURRENT_LIST_DIR}/../fixtures/malformed"
  ZPK_CORPUS_DIR="${PROJECT_SOURCE_DIR}/fuzz/corpus"
)
