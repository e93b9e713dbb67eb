# The hardening a distribution asks of its programs (lintian's hardening
# checks): the stack protector, glibc's checked string and I/O calls
# (_FORTIFY_SOURCE), position-independent executables, and relocations
# bound at load and then made read-only (RELRO with BIND_NOW).
include_guard(GLOBAL)
option(ZPK_HARDENING "Build with the stack protector, _FORTIFY_SOURCE, PIE and full RELRO" ON)
# ZPK_FORTIFIED: a generator expression, true for a configuration that gets
# the checked calls (the package check asks for them there only)
set(ZPK_FORTIFIED 0)
if(NOT ZPK_HARDENING)
  return()
endif()

include(CheckPIESupported)
check_pie_supported()
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
add_compile_options(-fstack-protector-strong)
add_link_options(LINKER:-z,relro LINKER:-z,now)
# The checked calls need the optimiser (without it glibc warns that
# _FORTIFY_SOURCE does nothing), so only the optimised configurations get
# them; a sanitizer checks the same calls its own way, so none of its
# builds do. -U first: some compilers define it already.
if(NOT CMAKE_CXX_FLAGS MATCHES "-fsanitize")
  set(optimised "$<CONFIG:Release,RelWithDebInfo,MinSizeRel>")
  add_compile_options("$<${optimised}:-U_FORTIFY_SOURCE>" "$<${optimised}:-D_FORTIFY_SOURCE=2>")
  set(ZPK_FORTIFIED "${optimised}")
endif()
