# The two commands of the README: `make run` and `make test`.
SHELL := /bin/bash
NATIVE := build/native
NATIVE_ASAN := build/native-asan
WIN32 := build/win32
WIN64 := build/win64
RELEASE := build/native-release
PREFIX ?= /usr/local
CMAKE_FLAGS := -G Ninja -Wno-dev
# The configurations of the trees, each written once.
CONFIGURE_NATIVE := cmake -S . -B $(NATIVE) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Debug >/dev/null
CONFIGURE_ASAN := cmake -S . -B $(NATIVE_ASAN) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Debug \
  -DCARDO_SANITIZE=ON >/dev/null
CONFIGURE_WIN32 := cmake -S . -B $(WIN32) $(CMAKE_FLAGS) \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
CONFIGURE_WIN64 := cmake -S . -B $(WIN64) $(CMAKE_FLAGS) \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null

.PHONY: run test build bootstrap native win32 win64 windows bench fuzz fuzz-build clean dist \
  release-cli install uninstall test-build native-suites asan-suites win32-suites win64-suites \
  deliverables
FUZZ := build/fuzz
FUZZ_SECONDS ?= 60
# Every fuzz/*_fuzz.cpp is a target; `make test` runs each for a few seconds.
FUZZ_TARGETS := $(basename $(notdir $(wildcard fuzz/*_fuzz.cpp)))

run: bootstrap windows
	tools/run.sh

test: bootstrap test-build
	tools/run-tests.sh

# What the test run starts or reads, and nothing more: each tree builds the suites it runs with
# the programs they start, so a fresh clone pays for no benchmark, screenshot tool or tree that
# no test runs. `make build` still builds every tree whole.
test-build: native-suites asan-suites win32-suites win64-suites dist fuzz-build

native-suites:
	$(CONFIGURE_NATIVE)
	cmake --build $(NATIVE) --target cardo_native_suites

# The core and its tests (which run the built cardo-cli): nothing else needs the sanitizers.
asan-suites:
	$(CONFIGURE_ASAN)
	cmake --build $(NATIVE_ASAN) --target cardo_tests

# The 32-bit deliverables, checked from their files on every machine, and the Windows suites
# where 32-bit Wine runs them; one build, so that one's links overlap the other's compiles.
win32-suites:
	$(CONFIGURE_WIN32)
	cmake --build $(WIN32) --target cardo_deliverables \
	  $$(tools/wine-env.sh --runs-32bit && echo cardo_windows_suites)

# Where 32-bit programs cannot run, the 64-bit twin builds the Windows suites instead.
win64-suites:
	if ! tools/wine-env.sh --runs-32bit; then \
	  $(CONFIGURE_WIN64) && cmake --build $(WIN64) --target cardo_windows_suites; fi

deliverables:
	$(CONFIGURE_WIN32)
	cmake --build $(WIN32) --target cardo_deliverables

build: native win32 win64

bootstrap:
	@tools/bootstrap.sh

native:
	$(CONFIGURE_NATIVE)
	cmake --build $(NATIVE)
	$(CONFIGURE_ASAN)
	cmake --build $(NATIVE_ASAN)

win32:
	$(CONFIGURE_WIN32)
	cmake --build $(WIN32)

# The 64-bit twin: the same sources, so the code stays 64-bit clean, and the tree that runs
# the Windows suites where 32-bit programs cannot run (tools/wine-env.sh decides).
win64:
	$(CONFIGURE_WIN64)
	cmake --build $(WIN64)

# The tree the Wine scripts run: the deliverables where 32-bit programs run, else the twin.
windows: win32
	@if ! tools/wine-env.sh --runs-32bit; then $(MAKE) --no-print-directory win64; fi

bench: bootstrap windows release-cli
	tools/run-bench.sh

# The Windows release: build/dist/Cardo-<version>-win32.zip and SHA256SUMS, the same bytes for
# the same commit.
dist: bootstrap deliverables
	tools/make-dist.py $(WIN32) build/dist

# The command line for this machine: the release build and its manual page.
release-cli:
	cmake -S . -B $(RELEASE) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(RELEASE) --target cardo-cli cardo_manpage

install: bootstrap release-cli
	install -d $(DESTDIR)$(PREFIX)/bin $(DESTDIR)$(PREFIX)/share/man/man1
	install -m 755 $(RELEASE)/cli/cardo-cli $(DESTDIR)$(PREFIX)/bin/cardo-cli
	install -m 644 $(RELEASE)/cli/cardo-cli.1 $(DESTDIR)$(PREFIX)/share/man/man1/cardo-cli.1

uninstall:
	rm -f $(DESTDIR)$(PREFIX)/bin/cardo-cli $(DESTDIR)$(PREFIX)/share/man/man1/cardo-cli.1

# The fuzz targets with clang and libFuzzer, one tree for `make test` and `make fuzz`, at -O0
# with line tables only (enough for the sanitizers' reports to name lines): the cheapest
# build that does, which `make test` pays on every machine (some 40 % less compile time than
# -O1, for slower runs that a check of a few seconds does not feel).
fuzz-build: bootstrap
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_C_FLAGS_RELEASE="-O0 -gline-tables-only" \
	  -DCMAKE_CXX_FLAGS_RELEASE="-O0 -gline-tables-only" -DCARDO_FUZZ=ON >/dev/null
	cmake --build $(FUZZ) --target $(FUZZ_TARGETS)

fuzz: fuzz-build
	tools/run-fuzz.sh $(FUZZ_SECONDS)

clean:
	rm -rf build
