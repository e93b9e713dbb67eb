# The page (web/) in Debian's chromium, headless, driven by selenium: the
# module and the page are built into build/web/site by web/'s own project
# with the wasm32-wasi toolchain (scripts/install-deps web, part of the test
# set). Without that toolchain the test reports itself skipped.
find_program(ZPK_WASM_CLANG clang++-14)
if(ZPK_WASM_CLANG AND EXISTS /usr/lib/wasm32-wasi/libc++.a AND EXISTS /usr/lib/wasm32-wasi/libc.a)
  include(ExternalProject)
  ExternalProject_Add(zpkweb
    SOURCE_DIR ${PROJECT_SOURCE_DIR}/web
    BINARY_DIR ${CMAKE_BINARY_DIR}/web
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DZPK_WERROR=${ZPK_WERROR}
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON)
  file(GLOB ZPK_WEB_CONTAINERS ${PROJECT_SOURCE_DIR}/tests/fixtures/malformed/*.zpk)
  add_test(NAME web.browser
           COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/BrowserTest.py --site ${CMAKE_BINARY_DIR}/web/site
                   --zpk $<TARGET_FILE:zpk> ${PROJECT_SOURCE_DIR}/samples/demo.zpk ${ZPK_WEB_CONTAINERS})
else()
  add_test(NAME web.browser COMMAND ${CMAKE_COMMAND} -E echo "skipped: no wasm32-wasi toolchain (scripts/install-deps web)")
  set_tests_properties(web.browser PROPERTIES SKIP_REGULAR_EXPRESSION "skipped:")
endif()
# every wait is bounded; the timeout is a last resort
set_tests_properties(web.browser PROPERTIES LABELS web SKIP_RETURN_CODE 77 TIMEOUT 300
                     ENVIRONMENT "PYTHONDONTWRITEBYTECODE=1")
