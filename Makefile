# Kopix: `make run` builds Kopix and starts it on its sample document; `make test` builds it and runs
# every test. Each first installs the Debian packages it needs that are missing, and only those.
BUILD ?= build
JOBS ?= $(shell nproc)
CONFIGURE = cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all deps configure build run test bench demo package check-sanitize fuzz clean

all: build

# What building and testing everything needs.
deps:
	@./scripts/install-deps.sh run test

configure: deps
	@$(CONFIGURE) -DBUILD_TESTING=ON >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# Only the program, with the running packages: the sample and the help pages beside it are written when
# configuring. A first configure leaves the tests out (they need the test packages); a build folder that
# has them keeps them.
run:
	@./scripts/install-deps.sh run
	@if [ -f $(BUILD)/CMakeCache.txt ]; then $(CONFIGURE); else $(CONFIGURE) -DBUILD_TESTING=OFF; fi >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) --target kopix
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
fuzz:
	@./scripts/install-deps.sh fuzz
	@./scripts/fuzz.sh build-fuzz

package: build
	@cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD) build-sanitize build-fuzz
