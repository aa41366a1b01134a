# The two commands of the README: `make run` and `make test`.
SHELL := /bin/bash
NATIVE := build/native
NATIVE_ASAN := build/native-asan
WIN32 := build/win32
CMAKE_FLAGS := -G Ninja -Wno-dev

.PHONY: run test build bootstrap native win32 bench clean

run: bootstrap win32
	tools/run.sh

test: bootstrap native win32
	tools/run-tests.sh

build: native win32

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

bench: bootstrap win32
	tools/run-bench.sh

clean:
	rm -rf build
