# The two commands of the README: `make run` and `make test`.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all setup configure build run test bench fuzz sanitize clean

all: build

setup:
	@scripts/setup.sh build

configure: setup
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# Builds and starts the program. Without a display it starts under a virtual X server.
run:
	@scripts/setup.sh run
	@$(MAKE) --no-print-directory build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then $(BUILD)/bin/velmora; \
	 else echo "No display: starting under xvfb-run"; xvfb-run -a -s "-screen 0 1280x800x24" $(BUILD)/bin/velmora; fi

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build
	@$(BUILD)/bin/velmora_bench_xml
	@$(BUILD)/bin/velmora_bench_graphs

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
