# Kopix: `make run` builds Kopix and starts it on its sample document; `make test` builds it and runs
# every test. Both first install any Debian packages that are missing.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test bench demo package check-sanitize fuzz clean

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
	@cd $(BUILD) && ctest --output-on-failure --parallel $(JOBS)

bench: build
	@./scripts/bench.sh $(BUILD)

demo: build
	@./scripts/demo.sh $(BUILD)

# The unit, gui and x11 tests built with AddressSanitizer and UndefinedBehaviorSanitizer (build-sanitize/).
check-sanitize: deps
	@./scripts/check-sanitize.sh build-sanitize $(JOBS)

# Each libFuzzer target (fuzz/) for FUZZ_SECONDS seconds, 600 unless given; built with clang in build-fuzz/.
fuzz: deps
	@./scripts/fuzz.sh build-fuzz

package: build
	@cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD) build-sanitize build-fuzz
