# make run   installs what is missing, builds and starts Checkwell
# make test  installs what is missing, builds and runs every test
# make bench runs the benchmarks
# make package makes the Debian package

BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
# Warnings are errors in our builds; WERROR=OFF builds past them.
WERROR ?= ON

.PHONY: all deps configure build run test bench install package clean

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCHECKWELL_WERROR=$(WERROR) $(CMAKE_FLAGS)

# A build folder configured before the option existed, or with the other value, is
# set again.
configure: deps $(BUILD)/build.ninja
	@grep -qx 'CHECKWELL_WERROR:BOOL=$(WERROR)' $(BUILD)/CMakeCache.txt || \
	  cmake -S . -B $(BUILD) -DCHECKWELL_WERROR=$(WERROR)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -x $(BUILD)/src/app/checkwell ]; then $(BUILD)/src/app/checkwell $(ARGS); \
	else echo "Built; the window program is not part of this build yet."; fi

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

bench: deps
	@bash scripts/install-deps.sh --bench
	@$(MAKE) --no-print-directory build
	@bash bench/run-all.sh $(BUILD)

install: build
	cmake --install $(BUILD)

# The Debian package of the programs; prints its path.
package: build
	@bash scripts/make-package.sh $(BUILD)

clean:
	rm -rf $(BUILD) build-asan build-fuzz build-rel
