# The viewer on a real X display (Xvfb, xcb platform) driven by real input
# events (xdotool), its screen compared with the offscreen render of the same
# state. Included from tests/CMakeLists.txt when the GUI is built. The test
# skips (77) when Xvfb does not start or a tool it needs is missing: apt-get
# install xvfb xdotool x11-utils imagemagick.
find_package(Qt6 REQUIRED COMPONENTS Widgets)

add_executable(OffscreenReference ${CMAKE_CURRENT_LIST_DIR}/OffscreenReference.cpp)
target_link_libraries(OffscreenReference PRIVATE zpkwindow Qt6::Widgets)
# the test runs the viewer beside it
add_dependencies(OffscreenReference zpkview)

add_test(NAME display.real
         COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/real-display.sh $<TARGET_FILE:zpkview>
                 $<TARGET_FILE:OffscreenReference> ${PROJECT_SOURCE_DIR}/samples
                 ${CMAKE_CURRENT_BINARY_DIR}/display-failure)
# the script bounds every wait; the timeout is a last resort
set_tests_properties(display.real PROPERTIES LABELS display SKIP_RETURN_CODE 77 TIMEOUT 90
                     ENVIRONMENT "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/../window/lsan.supp:print_suppressions=0")
