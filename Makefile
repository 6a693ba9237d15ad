# Two commands for a new user:
#   make test   installs what is missing (Debian packages), builds, runs every test
#   make demo   builds and runs the project's main job
PY        := /usr/bin/python3
BUILD     := build
JOBS      ?= $(shell nproc)

.PHONY: all deps configure build test demo install bench fuzz clean stubs deb

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

fuzz: deps
	@bash scripts/run-fuzz.sh

clean:
	rm -rf $(BUILD) $(BUILD).configure.log
