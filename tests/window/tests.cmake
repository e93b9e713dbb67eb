# The viewer's window, tested with QtTest on Qt's offscreen platform (no
# display needed). Included from tests/CMakeLists.txt when the GUI is built.
find_package(Qt6 REQUIRED COMPONENTS Test Widgets)

# LeakSanitizer: leaks inside the system's font and X libraries, not ours.
set(ZPK_WINDOW_TEST_ENV
  "QT_QPA_PLATFORM=offscreen"
  # what the viewer remembers (recent files, last folders) stays in the build
  "XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-config"
  "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/lsan.supp:print_suppressions=0"
)

foreach(test IN ITEMS MainWindowTest WindowCloseTest ViewerStressTest CanvasExtrasTest LanguageTest DesktopTest GalleryTest GalleryEditTest PaletteMenuTest ReplaceTest PlayWindowTest CompareWindowTest)
  add_executable(${test} ${CMAKE_CURRENT_LIST_DIR}/${test}.cpp ${CMAKE_CURRENT_LIST_DIR}/TestContainers.h)
  set_target_properties(${test} PROPERTIES AUTOMOC ON)
  target_link_libraries(${test} PRIVATE zpkwindow Qt6::Test Qt6::Widgets)
  target_include_directories(${test} PRIVATE ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_CURRENT_LIST_DIR}/..)
  add_test(NAME window.${test} COMMAND ${test})
  set_tests_properties(window.${test} PROPERTIES ENVIRONMENT "${ZPK_WINDOW_TEST_ENV}" TIMEOUT 120)
endforeach()
# the extras compare what the viewer saves with what the tool writes
target_compile_definitions(CanvasExtrasTest PRIVATE ZPK_BINARY="$<TARGET_FILE:zpk>")
# the viewer's command line is checked as a program, without a display
target_compile_definitions(DesktopTest PRIVATE ZPKVIEW_BINARY="$<TARGET_FILE:zpkview>")
add_dependencies(DesktopTest zpkview)
# the gallery test runs `zpkview --gallery` too
target_compile_definitions(GalleryTest PRIVATE ZPKVIEW_BINARY="$<TARGET_FILE:zpkview>")
add_dependencies(GalleryTest zpkview)
add_dependencies(CanvasExtrasTest zpk)
# the gallery's thumbnail loader, "export all", the player and the
# comparison run on threads of their own: the tsan test preset runs these,
# given the time ThreadSanitizer takes
set(ZPK_THREADED_WINDOW_TESTS window.GalleryTest window.CanvasExtrasTest window.PlayWindowTest window.CompareWindowTest)
set_tests_properties(${ZPK_THREADED_WINDOW_TESTS} PROPERTIES LABELS threads)
if(CMAKE_CXX_FLAGS MATCHES "sanitize=thread")
  set_tests_properties(${ZPK_THREADED_WINDOW_TESTS} PROPERTIES TIMEOUT 900)
endif()

# the language test reads the English translation file itself
target_compile_definitions(LanguageTest PRIVATE ZPK_ENGLISH_TS="${PROJECT_SOURCE_DIR}/translations/zpkview_en.ts")

target_compile_definitions(ViewerStressTest PRIVATE
  ZPK_MALFORMED_DIR="${CMAKE_CURRENT_LIST_DIR}/../fixtures/malformed"
  ZPK_CORPUS_DIR="${PROJECT_SOURCE_DIR}/fuzz/corpus"
)

# Desktop integration: the menu entry is valid, and an install puts the
# programs, the entry, the icons and the file type in place.
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate REQUIRED)
add_test(NAME desktop.validate COMMAND ${DESKTOP_FILE_VALIDATE} ${PROJECT_SOURCE_DIR}/data/zpkview.desktop)
add_test(NAME desktop.install
         COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR} -DPREFIX=${CMAKE_BINARY_DIR}/install-check
                 -P ${CMAKE_CURRENT_LIST_DIR}/../install/CheckInstall.cmake)
