# Two commands do all the set-up: `make run` and `make test`.
BUILD_DIR ?= build
ASAN_DIR  ?= build-asan
COVERAGE_DIR ?= build-coverage
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS      ?= $(shell nproc)

.PHONY: all deps configure build install run gui python python-check screenshots test bench sanitize coverage fuzz clean

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD_DIR)/build.ninja:
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release

configure: deps $(BUILD_DIR)/build.ninja

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

# The programs, the desktop entry and icon, the core with its headers and its
# CMake package (find_package(fractan)), under PREFIX.
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

# The main job on a built-in default: synthesise a series and estimate its H.
run: build
	./$(BUILD_DIR)/fractan demo

# The desktop application.
gui: build
	./$(BUILD_DIR)/fractan-gui

# The Python module: PYTHONPATH=$(BUILD_DIR)/python /usr/bin/python3 -c "import fractan"
python: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target fractan_python

# The module installed with pip into a fresh venv, and its tests run against it.
python-check: build
	bash tests/python/installed.sh $(BUILD_DIR)

# The pictures of the desktop pages in docs/, taken under a virtual display.
screenshots: build
	bash scripts/screenshots.sh $(BUILD_DIR)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

bench: build
	./$(BUILD_DIR)/bench/fractan_bench --benchmark_filter='-10M|FilesList40|ShortFiles|FirstOrderDma20|MethodOurs|MethodPlain|DynamicThreads'
	bash bench/memory_dynamic.sh $(BUILD_DIR)
	bash bench/memory_clusters.sh $(BUILD_DIR)
	bash bench/memory_generator.sh $(BUILD_DIR)
	bash bench/ratios.sh $(BUILD_DIR)
	bash bench/mpi_spread.sh $(BUILD_DIR)
	PYTHONPATH=$(BUILD_DIR)/python /usr/bin/python3 bench/python_dfa.py
	PYTHONPATH=$(BUILD_DIR)/python /usr/bin/python3 bench/python_overhead.py

# The tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps
	cmake -S . -B $(ASAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DFRACTAN_SANITIZE=ON -DFRACTAN_BUILD_BENCH=OFF -DFRACTAN_BUILD_GUI=OFF -DFRACTAN_BUILD_PYTHON=OFF
	cmake --build $(ASAN_DIR) -j $(JOBS)
	cd $(ASAN_DIR) && ctest --output-on-failure -j $(JOBS)

# The share of the core's lines that the tests run (gcov, summed by gcovr).
coverage: deps
	cmake -S . -B $(COVERAGE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=--coverage -DCMAKE_EXE_LINKER_FLAGS=--coverage -DCMAKE_SHARED_LINKER_FLAGS=--coverage -DCMAKE_MODULE_LINKER_FLAGS=--coverage -DFRACTAN_BUILD_BENCH=OFF
	cmake --build $(COVERAGE_DIR) -j $(JOBS)
	find $(COVERAGE_DIR) -name '*.gcda' -delete
	cd $(COVERAGE_DIR) && ctest -j $(JOBS)
	gcovr -r . $(COVERAGE_DIR) --filter 'setup/' --filter 'engine/' --filter 'clusters/' --filter 'generator/' --filter 'slope/' --filter 'tools/' --print-summary -o $(COVERAGE_DIR)/core-coverage.txt

# Every reader under libFuzzer for FUZZ_SECONDS each (built with clang).
fuzz: build
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFRACTAN_FUZZ=ON -DFRACTAN_BUILD_GUI=OFF -DFRACTAN_BUILD_TESTS=OFF -DFRACTAN_BUILD_BENCH=OFF -DFRACTAN_BUILD_PYTHON=OFF
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target fuzzers
	bash fuzz/run.sh $(BUILD_DIR) $(FUZZ_DIR) $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(COVERAGE_DIR) $(FUZZ_DIR)
