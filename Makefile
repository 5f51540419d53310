# Kopix: `make run` builds Kopix and starts it on its sample document; `make test` builds it and runs
# every test. Both first install any Debian packages that are missing.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test bench demo package clean

all: build

deps:
	@./scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@./scripts/run.sh $(BUILD)

test: build
	@cd $(BUILD) && ctest --output-on-failure

bench: build
	@./scripts/bench.sh $(BUILD)

demo: build
	@./scripts/demo.sh $(BUILD)

package: build
	@cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD)
