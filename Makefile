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

.PHONY: build test test-cpp test-python test-debug demo bench fuzz wheel-check peer-diff clean

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

# The Neo4j dialect's parse against Neo4j's own parser (installed from npm into PEER_DIR, so it
# is no part of `make test`): the text2cypher verdicts are kept in the corpus, the TCK ones are
# asked for once and kept in PEER_DIR.
PEER_DIR ?= /tmp/qarvex-peer
CORPUS := ../shared/corpus
peer-diff: build
	test -x $(PEER_DIR)/node_modules/.bin/node || bash ../shared/peer/install_peer.sh $(PEER_DIR)
	test -f $(PEER_DIR)/tck-verdicts.jsonl || $(PEER_DIR)/node_modules/.bin/node \
	  ../shared/peer/peer_verdict.mjs --peer-dir $(PEER_DIR) --no-alt $(CORPUS)/tck-queries.jsonl \
	  $(PEER_DIR)/tck-verdicts.jsonl
	$(DEVROOT) env PYTHONPATH=$(BUILD) $(PYTHON) tools/peer_diff.py \
	  --corpus $(CORPUS)/neo4j-text2cypher.jsonl $(CORPUS)/neo4j-text2cypher-verdicts.jsonl \
	  $(PEER_DIR)/tck-verdicts.jsonl

wheel-check:
	$(DEVROOT) $(PYTHON) -m pytest tests/packaging -q

clean:
	rm -rf build
