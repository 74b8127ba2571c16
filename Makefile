# Entry points named in the README. Each installs what it needs first.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
PACKAGE_BUILD ?= build-package
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja $(if $(shell command -v ccache),-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

.PHONY: deps build run run-cli test test-release test-sanitize bench fuzz package tidy clean

deps:
	./scripts/install-deps

build: deps
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/bin/kelvane

# The console front end alone, e.g. make run-cli ARGS="dump photo.jpg".
run-cli: deps
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) --target kelvane-cli -j $(JOBS)
	$(BUILD)/bin/kelvane-cli $(ARGS)

test: test-release test-sanitize

test-release: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

test-sanitize: deps
	cmake -S . -B $(ASAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DKELVANE_SANITIZE=ON -DKELVANE_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

bench: build
	./bench/run-benchmarks $(BUILD)

fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DKELVANE_FUZZ=ON -DKELVANE_TESTS=OFF -DKELVANE_BENCH=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

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
	cmake -S . -B $(PACKAGE_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=None -DCMAKE_INSTALL_PREFIX=/usr \
	  -DKELVANE_TESTS=OFF -DKELVANE_BENCH=OFF
	cmake --build $(PACKAGE_BUILD) -j $(JOBS)
	cd $(PACKAGE_BUILD) && cpack
	@ls $(PACKAGE_BUILD)/*.deb

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(PACKAGE_BUILD)
