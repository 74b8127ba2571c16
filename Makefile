# Entry points named in the README. Each installs what it needs first. The
# builds are the presets of CMakePresets.json (dev, asan, fuzz).
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
PACKAGE_BUILD ?= build-package
JOBS       ?= $(shell nproc)
CCACHE     := $(if $(shell command -v ccache),-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# CI (CI=true) builds no benchmarks and turns every warning of the Qt-free
# layers into an error.
CI_FLAGS   := $(if $(CI),-DKELVANE_BENCH=OFF -DKELVANE_WERROR=ON)

.PHONY: deps build run run-cli test test-release test-sanitize bench fuzz fuzz-ci package tidy clean

deps:
	./scripts/install-deps

build: deps
	cmake --preset dev -B $(BUILD) $(CCACHE) $(CI_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/bin/kelvane

# The console front end alone, e.g. make run-cli ARGS="dump photo.jpg".
run-cli: deps
	cmake --preset dev -B $(BUILD) $(CCACHE)
	cmake --build $(BUILD) --target kelvane-cli -j $(JOBS)
	$(BUILD)/bin/kelvane-cli $(ARGS)

test: test-release test-sanitize

test-release: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

test-sanitize: deps
	cmake --preset asan -B $(ASAN_BUILD) $(CCACHE)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

bench: build
	./bench/run-benchmarks $(BUILD)

# The fuzz targets alone (and what they link), built with clang.
fuzz: deps
	cmake --preset fuzz -B $(FUZZ_BUILD) $(CCACHE)
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_targets

# Each fuzz target for 30 seconds on its seed corpus (CI runs this).
fuzz-ci: fuzz
	./fuzz/run-ci $(FUZZ_BUILD) 30

# clang-tidy (.clang-tidy) over the Qt-free layers and the library, with
# the normal build's compile commands.
tidy: build
	run-clang-tidy -p $(BUILD) -quiet -j $(JOBS) '^$(CURDIR)/(engine|batch|export|cli|qmrfio|docs)/'

# A Debian package of a program installed under /usr, built with Debian's
# hardening flags and stripped, in $(PACKAGE_BUILD)/.
package: deps
	export DEB_BUILD_MAINT_OPTIONS=hardening=+all; \
	CFLAGS="$$(dpkg-buildflags --get CFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
	CXXFLAGS="$$(dpkg-buildflags --get CXXFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
	LDFLAGS="$$(dpkg-buildflags --get LDFLAGS)" \
	cmake -S . -B $(PACKAGE_BUILD) -G Ninja $(CCACHE) -DCMAKE_BUILD_TYPE=None -DCMAKE_INSTALL_PREFIX=/usr \
	  -DKELVANE_TESTS=OFF -DKELVANE_BENCH=OFF
	cmake --build $(PACKAGE_BUILD) -j $(JOBS)
	cd $(PACKAGE_BUILD) && cpack
	@ls $(PACKAGE_BUILD)/*.deb

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(PACKAGE_BUILD)
