# Two commands for a new user:
#   make test   installs what is missing (Debian packages), builds, runs every test
#   make demo   builds and runs the project's main job
PY        := /usr/bin/python3
BUILD     := build
JOBS      ?= $(shell nproc)

.PHONY: all deps configure build test demo install bench fuzz clean stubs deb sanitize soak

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >$(BUILD).configure.log 2>&1 \
	  || { cat $(BUILD).configure.log; exit 1; }

build: configure
	@cmake --build $(BUILD) -j $(JOBS) --  --no-print-directory -s

test: build
	@bash scripts/run-tests.sh $(BUILD)

demo: build
	@bash scripts/run-demo.sh $(BUILD)

install: build
	@bash scripts/install-module.sh $(BUILD)

# Type stubs from the built module, written into module/stubs/TivraModule (commit them).
stubs: build
	@PYTHONPATH=$(BUILD)/python $(PY) scripts/make_stubs.py module/stubs/TivraModule 2>&1 | grep -v '^\[TivraModule-Debug\]' || true

# python3-tivramodule_<version>_amd64.deb and libtivra-dev_<version>_amd64.deb in $(BUILD)/
deb: build
	@cd $(BUILD) && cpack -G DEB

bench: build
	@bash scripts/run-bench.sh $(BUILD)

# Every parser of untrusted bytes under libFuzzer, FUZZ_SECONDS (default 60) each.
fuzz: deps
	@bash scripts/run-fuzz.sh

# The whole suite on an AddressSanitizer + UndefinedBehaviorSanitizer build (build-sanitize, clang).
sanitize: deps
	@bash scripts/run-sanitize.sh

# Long random sessions with the Python panels (SOAK_EXAMPLES sessions, new ones every run).
SOAK_EXAMPLES ?= 400
soak: build
	@PYTHONPATH=$(BUILD)/python TIVRA_STATEFUL_RANDOM=1 TIVRA_STATEFUL_EXAMPLES=$(SOAK_EXAMPLES) \
	  xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" $(PY) -m pytest -q -p no:cacheprovider \
	  tests/engine/test_panels_stateful.py

clean:
	rm -rf $(BUILD) $(BUILD).configure.log build-sanitize build-sanitize.configure.log
