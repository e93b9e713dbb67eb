# The desktop suite: the real viewer under Xvfb with a real window manager
# (openbox), Qt's real dialogs and real input (xdotool), read from outside
# (screen, window list, clipboard, files written). One test per window flow,
# each on its own display, so they run in parallel. Included from
# tests/CMakeLists.txt when the GUI is built; a test skips (77) only when
# Xvfb cannot start. Debian's python3: the harness uses its
# standard library only.
set(ZPK_DESKTOP_SCENARIOS open picture save_copy export_all replace palette windows recent keys qt_options
                          messages scale)
foreach(scenario IN LISTS ZPK_DESKTOP_SCENARIOS)
  add_test(NAME desk.${scenario}
           COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/${scenario}.py --viewer $<TARGET_FILE:zpkview>
                   --zpk $<TARGET_FILE:zpk> --samples ${PROJECT_SOURCE_DIR}/samples
                   --keep ${CMAKE_CURRENT_BINARY_DIR}/desktop-failure/${scenario})
  # every wait is bounded; the timeout is a last resort
  set_tests_properties(desk.${scenario} PROPERTIES LABELS desktop SKIP_RETURN_CODE 77 TIMEOUT 60
                       ENVIRONMENT "PYTHONDONTWRITEBYTECODE=1;LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/../window/lsan.supp:print_suppressions=0")
endforeach()
