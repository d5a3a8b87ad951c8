# Every target runs inside tools/devroot, which provides CPython 3.14 and the build tools.
BUILD ?= build/dev
JOBS ?= $(shell nproc)
WERROR ?= $(if $(CI),ON,OFF)
FUZZ_SECONDS ?= 60
PYTEST_ARGS ?=
DEVROOT := tools/devroot run
PYTHON := python3.14
DEBUG_PYTHON := python3.14d
COMMA := ,

CONFIGURE = cmake -S . -B $(1) -G Ninja -DQARVEX_WERROR=$(WERROR) $(2) >/dev/null

.PHONY: build test test-cpp test-python test-debug demo bench fuzz wheel-check clean

build:
	$(DEVROOT) sh -c '$(call CONFIGURE,$(BUILD)) && cmake --build $(BUILD) -j $(JOBS)'

test: build
	$(DEVROOT) sh -c 'ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) --timeout 300 \
	  && PYTHONPATH=$(BUILD):python $(PYTHON) -m pytest tests/python -q $(PYTEST_ARGS)'

test-cpp: build
	$(DEVROOT) ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) --timeout 300

test-python: build
	$(DEVROOT) env PYTHONPATH=$(BUILD):python $(PYTHON) -m pytest tests/python -q $(PYTEST_ARGS)

# The module against the debug interpreter, whose reference counts the suite then checks
# (tests/python/test_refcounts.py runs only there). GCC would resolve the debug headers,
# symlinks to the release ones, to the release pyconfig.h without -fno-canonical-system-headers.
test-debug:
	$(DEVROOT) sh -c '$(call CONFIGURE,build/debug,-DQARVEX_TESTS=OFF \
	  -DPython_EXECUTABLE=/usr/bin/$(DEBUG_PYTHON) -DCMAKE_CXX_FLAGS=-fno-canonical-system-headers) \
	  && cmake --build build/debug -j $(JOBS) \
	  && PYTHONPATH=build/debug:python $(DEBUG_PYTHON) -m pytest tests/python -q $(PYTEST_ARGS)'

demo: build
	$(DEVROOT) env PYTHONPATH=$(BUILD):python $(PYTHON) examples/quickstart.py

bench:
	$(DEVROOT) sh -c '$(call CONFIGURE,build/bench,-DQARVEX_BENCH=ON -DQARVEX_TESTS=OFF) \
	  && cmake --build build/bench -j $(JOBS) && bench/run build/bench'

fuzz:
	$(DEVROOT) sh -c 'CXX=clang++ $(call CONFIGURE,build/fuzz,-DQARVEX_FUZZ=ON -DQARVEX_TESTS=OFF \
	  -DQARVEX_MODULE=OFF -DQARVEX_SANITIZE=address$(COMMA)undefined -DCMAKE_BUILD_TYPE=RelWithDebInfo) \
	  && cmake --build build/fuzz -j $(JOBS) && fuzz/run build/fuzz $(FUZZ_SECONDS)'

wheel-check:
	$(DEVROOT) $(PYTHON) -m pytest tests/packaging -q

clean:
	rm -rf build
