# Convenience targets over the CMake presets.
.PHONY: prerequisites build run test package clean

# Builds and tests use every CPU of the machine unless the environment says otherwise.
export CMAKE_BUILD_PARALLEL_LEVEL ?= $(shell nproc)
export CTEST_PARALLEL_LEVEL ?= $(shell nproc)

# The Debian packages the build and the tests need, installed when missing (it says which).
prerequisites:
	@.ci/prerequisites

build: prerequisites
	cmake --preset release >/dev/null
	cmake --build --preset release

# Optimises the bundled ethane example, then finds the point group of benzene; the results go to
# standard output, kelma's listing to build/run/debug and its trace to build/run/fort.9.
run: build
	mkdir -p build/run
	cd build/run && ../release/kelma < ../../examples/kelma/ethane.in
	cd build/run && ../release/symmetry < ../../examples/symmetry/benzene.in

# All tests: unit and end-to-end tests and the linters (clang-format, clang-tidy, flake8,
# shellcheck) of the release build, then the tests again (clang-tidy aside) under AddressSanitizer
# and UndefinedBehaviorSanitizer, then the threaded tests under ThreadSanitizer.
test: build
	ctest --preset release
	cmake --preset sanitize >/dev/null
	cmake --build --preset sanitize
	ctest --preset sanitize
	cmake --preset tsan >/dev/null
	cmake --build --preset tsan
	ctest --preset tsan

# A Debian package of the programs, the tools and the manual pages (build/release/*.deb).
package: build
	cd build/release && cpack -G DEB >/dev/null && ls kelma-symmetry_*.deb

clean:
	rm -rf build
