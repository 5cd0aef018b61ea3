# The two commands of the README: `make run` and `make test`; `make install` for packages.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
PREFIX ?= /usr/local
DESTDIR ?=

.PHONY: all setup configure build run install test bench fuzz sanitize clean

all: build

setup:
	@scripts/setup.sh build

configure: setup
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# Builds the program alone (no tests, no benchmarks) and starts it; without a display it starts
# on a virtual screen.
run: configure
	@scripts/setup.sh run
	@cmake --build $(BUILD) -j $(JOBS) --target velmora
	@scripts/run.sh $(BUILD)/bin/velmora

# Installs under PREFIX (default /usr/local), into DESTDIR when given (a package's staging tree):
#   make install DESTDIR=stage PREFIX=/usr
install: setup
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) -DCMAKE_INSTALL_PREFIX=$(PREFIX) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) --target velmora
	@DESTDIR="$(DESTDIR)" cmake --install $(BUILD)

test: build
	@scripts/setup.sh test
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build
	@$(BUILD)/bin/velmora_bench_xml
	@$(BUILD)/bin/velmora_bench_graphs
	@$(BUILD)/bin/velmora_bench_select
	@$(BUILD)/bin/velmora_bench_startup
	@$(BUILD)/bin/velmora_bench_search
	@$(BUILD)/bin/velmora_bench_backups
	@$(BUILD)/bin/velmora_bench_spelling
	@$(BUILD)/bin/velmora_bench_export
	@$(BUILD)/bin/velmora_bench_crypto
	@$(BUILD)/bin/velmora_bench_insights

sanitize:
	@$(MAKE) --no-print-directory test BUILD=build-asan CMAKE_FLAGS="-DVELMORA_SANITIZE=ON -DVELMORA_BUILD_BENCH=OFF"

fuzz:
	@scripts/setup.sh fuzz
	@cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 -DVELMORA_FUZZ=ON \
	   -DVELMORA_BUILD_GUI=OFF -DVELMORA_BUILD_TESTS=OFF -DVELMORA_BUILD_BENCH=OFF >/dev/null
	@cmake --build build-fuzz -j $(JOBS) --target fuzz_xml_reader
	@mkdir -p build-fuzz/corpus
	@# New inputs go to the build folder; the kept corpus in fuzz/ is read as seeds only.
	@build-fuzz/bin/fuzz_xml_reader -max_total_time=$${FUZZ_SECONDS:-60} -max_len=4096 build-fuzz/corpus fuzz/corpus

clean:
	rm -rf $(BUILD) build-asan build-fuzz
