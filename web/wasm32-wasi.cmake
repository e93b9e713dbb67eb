# Debian's clang 14 for wasm32-wasi: wasi-libc, libc++ and the compiler's
# runtime for wasm32 come as Debian packages (scripts/install-deps web), so
# the module is built with nothing downloaded.
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
set(CMAKE_CXX_COMPILER clang++-14)
set(CMAKE_CXX_COMPILER_TARGET wasm32-wasi)
# the compiler check cannot run what it links
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
