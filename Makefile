# make       - install what is missing, build everything
# make run   - install what is missing, build, run the tessel program on a demo
#              device root with the test peers (tools/run-demo.sh)
# make test  - install what is missing, build, run every test
# make asan  - the same tests in the AddressSanitizer + UBSan build
# make fuzz  - build the libFuzzer targets and run each briefly
#              (asan and fuzz share one clang tree, build-san: its objects
#              serve the sanitized tests and the fuzz targets alike)
# make bench - build the benchmarks and run them
JOBS ?= $(shell nproc)
# Most tests wait on their peers and child processes far more than they
# compute, so three run per core.
TEST_JOBS ?= $(shell echo $$(( $(JOBS) * 3 )))
BUILD ?= build
FUZZ_SECONDS ?= 30
SAN_BUILD ?= build-san

.PHONY: deps build run test san-tree asan fuzz bench clean

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

deps:
	@tools/install-deps.sh

run: build
	@if [ -x $(BUILD)/bin/tessel ]; then tools/run-demo.sh $(BUILD) $(ARGS); \
	else echo "tessel is not built yet; built so far:"; ls $(BUILD)/bin; fi

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(TEST_JOBS)

san-tree: deps
	CC=clang CXX=clang++ cmake -S . -B $(SAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	  -DTESSEL_SANITIZE=ON -DTESSEL_FUZZ=ON -DTESSEL_BENCH=OFF

asan: san-tree
	cmake --build $(SAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir $(SAN_BUILD) --output-on-failure -j $(TEST_JOBS)

fuzz: san-tree
	cmake --build $(SAN_BUILD) -j $(JOBS) --target fuzz_all
	tools/run-fuzz.sh $(SAN_BUILD) $(FUZZ_SECONDS)

bench: build
	cmake --build $(BUILD) -j $(JOBS) --target bench_all
	@for b in $(BUILD)/bin/bench_*; do [ -x "$$b" ] && "$$b"; done; true

clean:
	rm -rf $(BUILD) $(SAN_BUILD) build-asan build-fuzz
