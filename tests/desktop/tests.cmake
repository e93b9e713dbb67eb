# The desktop suite (HACKING.md): the real viewer under Xvfb and openbox, driven
# by xdotool and read from outside. One test per window flow (FILE/FLOW: the
# function FLOW of FILE.py), each on its own display, so they run in parallel;
# a test skips (77) only when Xvfb cannot start. Debian's python3.
set(ZPK_DESKTOP_FLOWS main_window/open main_window/picture main_window/save_copy main_window/palette main_window/recent
                      main_window/qt_options main_window/scale boxes/messages boxes/export_all boxes/replace
                      windows/windows windows/keys windows/edit windows/animate)
foreach(entry IN LISTS ZPK_DESKTOP_FLOWS)
  get_filename_component(file ${entry} DIRECTORY)
  get_filename_component(flow ${entry} NAME)
  add_test(NAME desk.${flow}
           COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/${file}.py --flow ${flow} --viewer $<TARGET_FILE:zpkview>
                   --zpk $<TARGET_FILE:zpk> --samples ${PROJECT_SOURCE_DIR}/samples
                   --keep ${CMAKE_CURRENT_BINARY_DIR}/desktop-failure/${flow})
  # every wait is bounded; the timeout is a last resort
  set_tests_properties(desk.${flow} PROPERTIES LABELS desktop SKIP_RETURN_CODE 77 TIMEOUT 120
                       ENVIRONMENT "PYTHONDONTWRITEBYTECODE=1;LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/../window/lsan.supp:print_suppressions=0")
endforeach()
set_tests_properties(desk.export_all PROPERTIES TIMEOUT 300)  # it exports 255 pictures of 800x800
