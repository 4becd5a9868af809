# The README's commands. Everything builds out of tree under build/ (release with debug info)
# and build-asan/ (clang with AddressSanitizer, UndefinedBehaviorSanitizer and libFuzzer).
JOBS ?= $(shell nproc)
BUILD := build
ASAN := build-asan
WINDOWS := build-windows
SAMPLE := $(BUILD)/bin/samples/sample_island.scp
FUZZ_SECONDS ?= 600
# The machine is shared and noisy: medians of five runs.
BENCH_ARGS ?= --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

.PHONY: all deps build asan run test bench fuzz windows-check clean

all: build

deps:
	bash scripts/install-deps

$(BUILD)/build.ninja: CMakeLists.txt | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

$(ASAN)/build.ninja: CMakeLists.txt | deps
	CC=clang CXX=clang++ cmake -S . -B $(ASAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	    -DINSEL_SANITIZE=ON -DINSEL_CORE_ONLY=ON

asan: deps $(ASAN)/build.ninja
	cmake --build $(ASAN) -j $(JOBS)

# The editor on the sample island; where no display answers (the editor asks it, not only
# whether DISPLAY is set) the sample is shown by inseltool instead.
run: build
	@if $(BUILD)/bin/inseleditor --check-display; then \
	    $(BUILD)/bin/inseleditor $(SAMPLE); \
	else \
	    echo "No display reachable: showing the sample island with inseltool instead."; \
	    $(BUILD)/bin/inseltool info $(SAMPLE); \
	    $(BUILD)/bin/inseltool render $(SAMPLE) -o $(BUILD)/sample_island.png && \
	    echo "Picture of the island: $(BUILD)/sample_island.png"; \
	fi

test: build asan
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	ctest --test-dir $(ASAN) --output-on-failure -j $(JOBS)

# Every figure for the portable kernels and for the widest tier the processor has.
bench: build
	INSEL_CPU=portable $(BUILD)/bin/insel_bench $(BENCH_ARGS)
	$(BUILD)/bin/insel_bench $(BENCH_ARGS)
	$(BUILD)/bin/insel_bench --write-island1024 $(BUILD)/island1024.scp
	INSEL_CPU=portable $(BUILD)/bin/insel_window_bench
	$(BUILD)/bin/insel_window_bench
	/usr/bin/time -f "peak resident memory of inseltool info on a 1024 x 1024 island: %M KB" \
	    $(BUILD)/bin/inseltool info $(BUILD)/island1024.scp > /dev/null

fuzz: asan
	$(ASAN)/bin/fuzz_load_island -timeout=1 -max_len=1048576 -max_total_time=$(FUZZ_SECONDS) \
	    -rss_limit_mb=2048 $(ASAN)/fuzz-corpus $(ASAN)/fuzz-seeds

# The core and its tests built for Windows (mingw-w64) and run under wine: file names with
# umlauts, CRLF text files and the atomic replace on that system. Not part of `make test`.
windows-check:
	bash scripts/install-deps --windows
	cmake -S . -B $(WINDOWS) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DINSEL_CORE_ONLY=ON \
	    -DINSEL_GTEST_FROM_SOURCE=ON -DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST
	cmake --build $(WINDOWS) -j $(JOBS) --target insel_core_tests
	WINEDEBUG=-all WINEPREFIX=$(abspath $(WINDOWS))/wine-prefix \
	    wine $(WINDOWS)/bin/insel_core_tests.exe

clean:
	rm -rf $(BUILD) $(ASAN) $(WINDOWS)
