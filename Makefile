# make       - install what is missing, build everything
# make run   - install what is missing, build, run the tessel program on a demo
#              device root with the test peers (tools/run-demo.sh)
# make test  - install what is missing, build, run every test
# make asan  - the same tests in the AddressSanitizer + UBSan build
# make fuzz  - build the libFuzzer targets with clang and run each briefly
# make bench - build the benchmarks and run them
JOBS ?= $(shell nproc)
BUILD ?= build
FUZZ_SECONDS ?= 30

.PHONY: deps build run test asan fuzz bench clean

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

deps:
	@tools/install-deps.sh

run: build
	@if [ -x $(BUILD)/bin/tessel ]; then tools/run-demo.sh $(BUILD) $(ARGS); \
	else echo "tessel is not built yet; built so far:"; ls $(BUILD)/bin; fi

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

asan: deps
	cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTESSEL_SANITIZE=ON -DTESSEL_BENCH=OFF
	cmake --build build-asan -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir build-asan --output-on-failure -j $(JOBS)

fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSEL_FUZZ=ON -DTESSEL_WERROR=OFF
	cmake --build build-fuzz -j $(JOBS) --target fuzz_all
	tools/run-fuzz.sh build-fuzz $(FUZZ_SECONDS)

bench: build
	cmake --build $(BUILD) -j $(JOBS) --target bench_all
	@for b in $(BUILD)/bin/bench_*; do [ -x "$$b" ] && "$$b"; done; true

clean:
	rm -rf $(BUILD) build-asan build-fuzz
