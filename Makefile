# The front door. `make test` sets up a fresh Debian 12 machine, builds everything and runs
# every test; `make demo` runs the installer. See README.md for the rest.
SHELL := /bin/bash
PRESETS := native native-release win64 win32

.PHONY: all deps test demo frames format clean $(PRESETS)

all: native

deps:
	@bash toolchain/bootstrap.sh

# Configure a preset once (later builds re-run CMake themselves when a CMakeLists.txt changes).
build/%/build.ninja:
	@cmake --preset $* >/dev/null

$(PRESETS): %: deps build/%/build.ninja
	@cmake --build build/$*

test:
	@bash scripts/run_tests.sh

demo:
	@bash scripts/demo.sh

# The GUI test programs (tests/<module>/<module>_tests) whose frames tests/frames.manifest holds.
FRAME_TESTS := guib_tests

# Records what the GUI tests draw now in tests/frames.manifest; the pictures are in
# build/native/frames/ to look at before committing the manifest's change.
frames: build/native/build.ninja
	@cmake --build build/native --target $(FRAME_TESTS)
	@cd build/native && for program in $(FRAME_TESTS); do \
	    PATCHER_UPDATE_FRAMES=1 tests/$${program%_tests}/$$program --gtest_brief=1 || exit 1; done

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf build
