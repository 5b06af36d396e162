# Convenience targets over the CMake presets.
.PHONY: prerequisites build run test same-bits package clean

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
# shellcheck) of the release build, the same bytes on other processors, then the tests again
# (clang-tidy aside) under AddressSanitizer and UndefinedBehaviorSanitizer, then the threaded
# tests under ThreadSanitizer.
test: build
	ctest --preset release
	$(MAKE) same-bits
	cmake --preset sanitize >/dev/null
	cmake --build --preset sanitize
	ctest --preset sanitize
	cmake --preset tsan >/dev/null
	cmake --build --preset tsan
	ctest --preset tsan

# kelma and symmetry built static for arm64 (Debian's cross compiler) give the same bytes under
# qemu-aarch64 as the release build, with and without the C library's FMA variants.
same-bits: build
	cmake --preset arm64 >/dev/null
	cmake --build --preset arm64
	tests/e2e/same_on_every_machine.sh build/release build/arm64

# A Debian package of the programs, the tools and the manual pages (build/release/*.deb).
package: build
	cd build/release && cpack -G DEB >/dev/null && ls kelma-symmetry_*.deb

clean:
	rm -rf build
