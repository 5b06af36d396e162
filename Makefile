# Convenience targets over the CMake presets.
.PHONY: build run test clean

build:
	cmake --preset release >/dev/null
	cmake --build --preset release

# Optimises the bundled ethane example; the results go to standard output, the listing to
# build/run/debug and the trace to build/run/fort.9.
run: build
	mkdir -p build/run
	cd build/run && ../release/kelma < ../../examples/kelma/ethane.in

# All tests: unit and end-to-end tests of the release build, then everything again under
# AddressSanitizer and UndefinedBehaviorSanitizer.
test: build
	ctest --preset release
	cmake --preset sanitize >/dev/null
	cmake --build --preset sanitize
	ctest --preset sanitize

clean:
	rm -rf build
