# Convenience targets over the CMake presets.
.PHONY: build run test clean

build:
	cmake --preset release >/dev/null
	cmake --build --preset release

# Optimises the bundled ethane example, then finds the point group of benzene; the results go to
# standard output, kelma's listing to build/run/debug and its trace to build/run/fort.9.
run: build
	mkdir -p build/run
	cd build/run && ../release/kelma < ../../examples/kelma/ethane.in
	cd build/run && ../release/symmetry < ../../examples/symmetry/benzene.in

# All tests: unit and end-to-end tests of the release build, then everything again under
# AddressSanitizer and UndefinedBehaviorSanitizer.
test: build
	ctest --preset release
	cmake --preset sanitize >/dev/null
	cmake --build --preset sanitize
	ctest --preset sanitize

clean:
	rm -rf build
