# Thin front door: everything real lives in CMake and the presets.
#   make run    install what is missing, build, open the viewer on samples/
#   make test   install what is missing, build, run every test
JOBS ?= $(shell nproc)
WERROR ?= OFF
FUZZ_SECONDS ?= 60
CMAKE_ARGS ?=

.PHONY: all deps configure build test run asan test-asan bench fuzz format-check clean

all: build

deps:
	scripts/install-deps

configure:
	cmake --preset default -DZPK_WERROR=$(WERROR) $(CMAKE_ARGS)

build: configure
	cmake --build --preset default -j $(JOBS)

test: deps
	$(MAKE) build
	ctest --preset default -j $(JOBS)

run: deps
	$(MAKE) build
	cd samples && exec "$(CURDIR)/build/bin/zpkview"

asan:
	cmake --preset asan -DZPK_WERROR=$(WERROR) $(CMAKE_ARGS)
	cmake --build --preset asan -j $(JOBS)

test-asan: deps
	$(MAKE) asan
	ctest --preset asan -j $(JOBS)

bench: deps
	$(MAKE) build
	@for b in build/bin/bench_*; do [ -x "$$b" ] && "$$b" || true; done

# each libFuzzer target for FUZZ_SECONDS seconds (clang, ASan + UBSan)
fuzz: deps
	fuzz/run.sh $(FUZZ_SECONDS)

# every C++ file formatted as .clang-format says (clang-format 14)
format-check: deps
	scripts/format-check

clean:
	rm -rf build build-asan build-fuzz
