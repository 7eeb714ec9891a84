# Kronvik: build, test and run on Debian 12 (cross-compiled with mingw-w64,
# run under Wine). Every target first installs what is missing.
#   make run | test | unit | build | dist | demo | bench | soak | fuzz | bootstrap | clean

SHELL := /bin/bash
JOBS ?= 2
COMMA := ,
FUZZ_RUNS ?= 1000000
MODEL_RUNS ?= 200000
SOAK_MIN ?= 30

# Ninja when it is there; a directory keeps the generator it was made with.
GENERATOR := $(shell command -v ninja >/dev/null 2>&1 && echo Ninja || echo "Unix Makefiles")
define configure
	if [ -f $(1)/CMakeCache.txt ]; then \
	  cmake -S . -B $(1) $(2) >/dev/null; \
	else \
	  cmake -S . -B $(1) -G "$(GENERATOR)" $(2); \
	fi
endef

.PHONY: all bootstrap build sanitized test unit run dist demo bench soak fuzz clean

all: build

bootstrap:
	@tools/bootstrap.sh

build: bootstrap
	@$(call configure,build/windows,-DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64.cmake)
	cmake --build build/windows -j$(JOBS)
	@$(call configure,build/native,-DKRONVIK_TESTS=ON -DKRONVIK_WINDOWS_BUILD=$(CURDIR)/build/windows)
	cmake --build build/native -j$(JOBS)

# The unit tests again under AddressSanitizer and UndefinedBehaviorSanitizer,
# and the worker tests under ThreadSanitizer; ctest runs them with the rest.
# The first are built with clang, so that every test run holds the code to
# clang's warnings as well as GCC's; CMake cannot change the compiler of an
# existing build directory, so one made with another compiler starts afresh.
sanitized: bootstrap
	@if [ -f build/asan/CMakeCache.txt ] && ! grep -q '^CMAKE_CXX_COMPILER:.*=.*clang++$$' build/asan/CMakeCache.txt; then \
	  rm -rf build/asan; \
	fi
	@$(call configure,build/asan,-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DKRONVIK_TESTS=ON -DCMAKE_BUILD_TYPE=Debug -DKRONVIK_SANITIZE=address$(COMMA)undefined)
	cmake --build build/asan -j$(JOBS) --target kronvik_unit fuzz_replays
	@$(call configure,build/tsan,-DKRONVIK_TESTS=ON -DCMAKE_BUILD_TYPE=Debug -DKRONVIK_SANITIZE=thread)
	cmake --build build/tsan -j$(JOBS) --target kronvik_unit

test: build sanitized
	@$(call configure,build/native,-DKRONVIK_SANITIZED_BUILDS=$(CURDIR)/build)
	ctest --test-dir build/native --output-on-failure

# The edit-build-test loop: the native unit tests only, no Wine.
unit: bootstrap
	@$(call configure,build/native,-DKRONVIK_TESTS=ON)
	cmake --build build/native -j$(JOBS) --target kronvik_unit
	build/native/kronvik_unit

run: build
	tools/run.sh

demo: build
	tools/demo.sh

# The release in build/dist/, built afresh from the last commit; SIGN_PFX,
# SIGN_PASS_FILE and SIGN_TIMESTAMP_URL sign it, RELEASE_URL is where its
# files will be downloaded from (for the winget manifests).
dist: bootstrap
	tools/dist.sh build/dist

bench: bootstrap
	@$(call configure,build/bench,-DKRONVIK_BENCH=ON -DKRONVIK_TESTS=OFF)
	cmake --build build/bench -j$(JOBS)
	build/bench/kronvik_bench
	@if [ -x tools/bench-wine.sh ]; then \
	  $(MAKE) --no-print-directory build && tools/bench-wine.sh build/windows; \
	fi

# kronvik.exe kept busy for SOAK_MIN minutes; its object counts must stay flat.
soak: build
	tools/soak.sh build/windows $(SOAK_MIN)

fuzz: bootstrap
	@$(call configure,build/fuzz,-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DKRONVIK_FUZZ=ON -DKRONVIK_TESTS=OFF)
	cmake --build build/fuzz -j$(JOBS)
	@set -e; found=0; \
	for f in build/fuzz/fuzz_*; do \
	  [ -x "$$f" ] && [ -f "$$f" ] || continue; found=1; \
	  n=$$(basename "$$f"); mkdir -p build/fuzz/corpus/$$n; \
	  echo "== $$f"; "$$f" -runs=$(FUZZ_RUNS) build/fuzz/corpus/$$n tests/fuzz/corpus/$$n; \
	done; \
	[ $$found = 1 ] || { echo "no fuzz targets built"; exit 1; }
	@$(call configure,build/native,-DKRONVIK_TESTS=ON)
	cmake --build build/native -j$(JOBS) --target kronvik_unit
	KV_MODEL_RUNS=$(MODEL_RUNS) build/native/kronvik_unit --gtest_filter='CaptionModel*'

# Wine must not run in a prefix that is being deleted.
clean:
	@for p in build/wineprefix build/wineprefix-run build/wineprefix-demo build/wineprefix-soak build/wineprefix-dist; do \
	  if [ -d $$p ]; then WINEPREFIX=$(CURDIR)/$$p wineserver -k 2>/dev/null || true; fi; \
	done
	rm -rf build
