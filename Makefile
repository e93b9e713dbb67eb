# Thin front door: everything real lives in CMake and the presets.
#   make run    install what building and running need, build the two
#               programs (preset run, build-run/), open the viewer on samples/
#   make test   install what the tests need, build, run every test
# Each target installs (Debian, apt-get) only the set of packages it uses:
# scripts/install-deps run|test|fuzz.
JOBS ?= $(shell nproc)
WERROR ?= OFF
FUZZ_SECONDS ?= 60
FUZZ_PARALLEL ?= 1
CMAKE_ARGS ?=

.PHONY: all deps deps-run deps-test deps-web deps-fuzz web web-serve configure build test run asan test-asan tsan test-tsan tidy bench fuzz format-check clean

all: build

deps: deps-test

deps-run:
	scripts/install-deps run

deps-test:
	scripts/install-deps test

deps-fuzz:
	scripts/install-deps fuzz

deps-web:
	scripts/install-deps web

# the page: the core in WebAssembly and the page's files, in build-web/site/
web: deps-web
	cmake -S web -B build-web -DZPK_WERROR=$(WERROR)
	cmake --build build-web -j $(JOBS)

# serves build-web/site/ on http://127.0.0.1:8080/ (Ctrl+C stops it)
web-serve: web
	@echo "zpkview in the browser: http://127.0.0.1:8080/"
	python3 -m http.server 8080 --bind 127.0.0.1 --directory build-web/site

configure:
	cmake --preset default -DZPK_WERROR=$(WERROR) $(CMAKE_ARGS)

build: configure
	cmake --build --preset default -j $(JOBS)

test: deps-test
	$(MAKE) build
	ctest --preset default -j $(JOBS)

# Release, without tests and benchmarks: only zpkview and zpk are built
run: deps-run
	cmake --preset run $(CMAKE_ARGS)
	cmake --build --preset run -j $(JOBS)
	cd samples && exec "$(CURDIR)/build-run/bin/zpkview" demo.zpk

asan:
	cmake --preset asan -DZPK_WERROR=$(WERROR) $(CMAKE_ARGS)
	cmake --build --preset asan -j $(JOBS)

test-asan: deps-test
	$(MAKE) asan
	ctest --preset asan -j $(JOBS)

tsan:
	cmake --preset tsan -DZPK_WERROR=$(WERROR) $(CMAKE_ARGS)
	cmake --build --preset tsan -j $(JOBS)

# the tests of what runs on threads (batch export, thumbnails, export all)
# under ThreadSanitizer; the test preset picks them
test-tsan: deps-test
	$(MAKE) tsan
	ctest --preset tsan -j $(JOBS)

# clang-tidy (.clang-tidy) over src/ with the default build's compile
# commands; a finding fails it
tidy: deps-test configure
	scripts/tidy -j $(JOBS)

bench: deps-test
	$(MAKE) build
	@for b in build/bin/bench_*; do [ -x "$$b" ] && "$$b" || true; done

# each libFuzzer target for FUZZ_SECONDS seconds (clang, ASan + UBSan),
# FUZZ_PARALLEL of them at a time
fuzz: deps-fuzz
	FUZZ_PARALLEL=$(FUZZ_PARALLEL) fuzz/run.sh $(FUZZ_SECONDS)

# every C++ file formatted as .clang-format says (clang-format 14, which
# `make deps` installs); installs nothing itself
format-check:
	scripts/format-check

clean:
	rm -rf build build-asan build-tsan build-fuzz build-run build-web
