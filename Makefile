# make run  - install what is missing, build, start the program
# make test - install what is missing, build, run every test through CTest; run each fuzzer (clang,
#             libFuzzer) for FUZZ_SECONDS; then build again with AddressSanitizer and
#             UndefinedBehaviorSanitizer and run every test there (but the cluster scripts' runs, which
#             only drive the program the first pass already checked)
# make bench - build in Release and run the benchmarks
# make package - build in Release and make the Debian package build/bhsim_VERSION_ARCH.deb (cpack)

BUILD_DIR ?= build
BUILD_TYPE ?= Release
JOBS ?= 2
ASAN_DIR ?= build-asan
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 30

# Under the sanitizers every finding fails; leaks too, but for those of Qt's system libraries listed in
# the suppressions file.
SANITIZER_ENV := ASAN_OPTIONS=detect_leaks=1:check_initialization_order=1:strict_init_order=1 \
                 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizers/lsan.supp:print_suppressions=0 \
                 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# Debian packages the project needs to build, test and run; slurm-wlm, munge and parallel for the sweep
# scripts of scripts/cluster and their tests. Their daemons need no system setup: the tests run their own
# (scripts/cluster/local_slurm.sh) beside any the packages start. python3-pandas reads the tables in a test.
# pybind11-dev and python3-dev build the Python module, python3-numpy it needs, python3-pytest tests it and
# python3-matplotlib draws the example's figure.
PACKAGES := cmake g++ make pkg-config qt6-base-dev qt6-charts-dev libgl-dev libgtest-dev libgmock-dev libbenchmark-dev \
            nlohmann-json3-dev xvfb xauth x11-utils xdotool imagemagick clang libclang-rt-14-dev \
            slurm-wlm munge parallel dpkg-dev desktop-file-utils appstream libxml2-utils man-db lintian \
            fonts-dejavu-extra python3-pandas pybind11-dev python3-dev python3-numpy python3-pytest python3-matplotlib

.PHONY: all deps configure build run test test-asan fuzz bench package clean

all: build

deps:
	@missing=""; \
	for p in $(PACKAGES); do dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    echo "Installing:$$missing"; \
	    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	  else \
	    echo "Missing packages. Run as root:"; echo "  apt-get install -y$$missing"; exit 1; \
	  fi; \
	fi

configure: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	./$(BUILD_DIR)/bhsim

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)
	$(MAKE) --no-print-directory fuzz
	$(MAKE) --no-print-directory test-asan

test-asan: deps
	cmake -S . -B $(ASAN_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBHSIM_SANITIZE=ON -DBHSIM_BUILD_BENCH=OFF
	cmake --build $(ASAN_DIR) -j $(JOBS)
	$(SANITIZER_ENV) ctest --test-dir $(ASAN_DIR) --output-on-failure -j $(JOBS) -LE cluster

fuzz: deps
	cmake -S . -B $(FUZZ_DIR) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBHSIM_FUZZ=ON \
	      -DBHSIM_BUILD_TESTS=OFF -DBHSIM_BUILD_BENCH=OFF
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target bhsim_fuzzers
	fuzz/run_fuzzers.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

bench: deps
	cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release
	cmake --build build-release -j $(JOBS) --target bhsim_bench
	./build-release/bench/bhsim_bench

package: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD_DIR) -j $(JOBS)
	cd $(BUILD_DIR) && cpack -G DEB
	@version=$$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' $(BUILD_DIR)/CMakeCache.txt); \
	deb=$(BUILD_DIR)/bhsim_$${version}_$$(dpkg --print-architecture).deb; \
	test -f $$deb && echo "Debian package: $$deb"

clean:
	rm -rf $(BUILD_DIR) build-release $(ASAN_DIR) $(FUZZ_DIR)
