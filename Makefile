# The two commands of the README: `make run` and `make test`.
SHELL := /bin/bash
NATIVE := build/native
NATIVE_ASAN := build/native-asan
WIN32 := build/win32
WIN64 := build/win64
CMAKE_FLAGS := -G Ninja -Wno-dev

.PHONY: run test build bootstrap native win32 win64 windows bench fuzz clean
FUZZ := build/fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := profile_fuzz list_text_fuzz command_line_fuzz bracket_fuzz http_response_fuzz \
  scanner_fuzz matcher_fuzz resolver_fuzz clipboard_fuzz

run: bootstrap windows
	tools/run.sh

test: bootstrap native win32 win64
	tools/run-tests.sh

build: native win32 win64

bootstrap:
	@tools/bootstrap.sh

native:
	cmake -S . -B $(NATIVE) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Debug >/dev/null
	cmake --build $(NATIVE)
	cmake -S . -B $(NATIVE_ASAN) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Debug -DCARDO_SANITIZE=ON >/dev/null
	cmake --build $(NATIVE_ASAN)

win32:
	cmake -S . -B $(WIN32) $(CMAKE_FLAGS) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
	  -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(WIN32)

# The 64-bit twin: the same sources, so the code stays 64-bit clean, and the tree that runs
# the Windows suites where 32-bit programs cannot run (tools/wine-env.sh decides).
win64:
	cmake -S . -B $(WIN64) $(CMAKE_FLAGS) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
	  -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(WIN64)

# The tree the Wine scripts run: the deliverables where 32-bit programs run, else the twin.
windows: win32
	@if ! tools/wine-env.sh --runs-32bit; then $(MAKE) --no-print-directory win64; fi

bench: bootstrap windows
	cmake -S . -B build/native-release $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build build/native-release --target cardo-cli
	tools/run-bench.sh

fuzz: bootstrap
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCARDO_FUZZ=ON >/dev/null
	cmake --build $(FUZZ) --target $(FUZZ_TARGETS)
	for t in $(FUZZ_TARGETS); do \
	  mkdir -p $(FUZZ)/corpus/$$t && \
	  $(FUZZ)/fuzz/$$t -max_total_time=$(FUZZ_SECONDS) -max_len=4096 -rss_limit_mb=512 \
	    $(FUZZ)/corpus/$$t $$(test -d fuzz/seeds/$$t && echo fuzz/seeds/$$t) || exit 1; \
	done

clean:
	rm -rf build
