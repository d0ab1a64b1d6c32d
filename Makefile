# make demo | make test | make bench | make docs | make wheel | make wheel-check
# Sets up .venv with CPython 3.13, builds the extension incrementally and runs the job.

VENV      := .venv
PY        := $(VENV)/bin/python
PIP       := $(PY) -m pip --disable-pip-version-check -q
CPP_BUILD := build/cpp
SYS_PACKAGES := libgtest-dev libexpat1-dev
# Everything the build reads; the extension is rebuilt (incrementally) when any of it changes.
SOURCES := $(shell find src -name '*.cpp' -o -name '*.hpp' 2>/dev/null) $(wildcard stubs/kinetra-stubs/*) \
  CMakeLists.txt pyproject.toml

.PHONY: all demo test test-python test-cpp typecheck bench build sysdeps clean format format-check lint sanitize \
  fuzz docs wheel wheel-check

all: build

# Installs an optional-dependencies group of pyproject.toml into .venv.
install_extra = $(PIP) install $$($(PY) -c 'import tomllib; \
  print(" ".join(tomllib.load(open("pyproject.toml", "rb"))["project"]["optional-dependencies"]["$(1)"]))')

# The build tools, then the `test` extra of pyproject.toml (pytest, and matplotlib for the
# examples' figures).
$(VENV)/.ready: pyproject.toml
	@PYTHON=$$(tools/find-python) && echo "using $$PYTHON" && \
	  { [ -x $(PY) ] || $$PYTHON -m venv $(VENV); }
	$(PIP) install "scikit-build-core>=0.10" "numpy>=2.0" "cmake>=3.26" "ninja>=1.10"
	$(call install_extra,test)
	@touch $@

# pip with the persistent build directory of pyproject.toml: only changed files recompile.
$(VENV)/.built: $(VENV)/.ready $(SOURCES)
	$(PIP) install --no-build-isolation --no-deps .
	@touch $@

build: $(VENV)/.built

# The formatter and linter: the `dev` extra of pyproject.toml, pinned there so that every
# machine formats alike. Installed into .venv without building the project.
$(VENV)/.dev: pyproject.toml | $(VENV)/.ready
	$(call install_extra,dev)
	@touch $@

sysdeps:
	@missing=""; \
	[ -f /usr/include/gtest/gtest.h ] || missing="$$missing libgtest-dev"; \
	[ -f /usr/include/expat.h ] || missing="$$missing libexpat1-dev"; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	  else \
	    echo "Missing system packages:$$missing"; \
	    echo "Install them with: sudo apt-get install$$missing"; exit 1; \
	  fi; \
	fi

$(CPP_BUILD)/build.ninja: CMakeLists.txt | $(VENV)/.ready sysdeps
	$(VENV)/bin/cmake -S . -B $(CPP_BUILD) -G Ninja -DCMAKE_MAKE_PROGRAM=$(abspath $(VENV)/bin/ninja) \
	  -DKINETRA_PYTHON=OFF -DKINETRA_TESTS=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DPython_EXECUTABLE=$(abspath $(PY))

test-cpp: $(CPP_BUILD)/build.ninja sysdeps
	$(VENV)/bin/cmake --build $(CPP_BUILD)
	$(VENV)/bin/ctest --test-dir $(CPP_BUILD) --output-on-failure

test-python: build test-cpp
	KINETRA_PROBE_DIR=$(abspath $(CPP_BUILD)) $(PY) -m pytest -q

# The installed type stubs against the module and its submodule shapora (mypy's stubtest;
# the allowlist comments each entry), and the examples type-checked against the stubs.
typecheck: build
	$(PY) -m mypy.stubtest kinetra --allowlist stubs/stubtest-allowlist.txt
	$(PY) -m mypy

test: test-python typecheck docs wheel-check

# The documentation site, into build/site; the examples draw the tutorials' figures while
# it builds. Strict: a warning (a broken link, a missing page) fails the build.
$(VENV)/.docs: pyproject.toml | $(VENV)/.ready
	$(call install_extra,docs)
	@touch $@

docs: build $(VENV)/.docs
	NO_MKDOCS_2_WARNING=1 $(VENV)/bin/mkdocs build --strict
	@echo "site written to build/site"

# A manylinux wheel in build/wheelhouse: the extension built as for `make build` (same
# incremental build directory, expat linked statically), then auditwheel checks it against
# the manylinux policies (it would copy in any shared library beyond them) and retags it.
WHEELHOUSE := build/wheelhouse
$(VENV)/.wheel: pyproject.toml | $(VENV)/.ready
	$(call install_extra,wheel)
	@touch $@

wheel: $(VENV)/.ready $(VENV)/.wheel sysdeps
	rm -rf build/wheel-raw $(WHEELHOUSE)
	$(PIP) wheel --no-build-isolation --no-deps -w build/wheel-raw .
	PATH="$(abspath $(VENV))/bin:$$PATH" $(VENV)/bin/auditwheel repair -w $(WHEELHOUSE) build/wheel-raw/kinetra-*.whl

# Installs the wheel into a fresh virtual environment outside the work tree and runs the
# demo there.
wheel-check: wheel
	tools/check-wheel $(WHEELHOUSE)/kinetra-*.whl

demo: build
	$(PY) examples/demo.py

BENCH_BUILD := build/bench
bench: build
	$(VENV)/bin/cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_MAKE_PROGRAM=$(abspath $(VENV)/bin/ninja) \
	  -DKINETRA_PYTHON=OFF -DKINETRA_BENCH=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
	$(VENV)/bin/cmake --build $(BENCH_BUILD)
	@echo "== bench_algorithms (C++)"; $(BENCH_BUILD)/bench_algorithms
	@for b in benchmarks/bench_*.py; do echo "== $$b"; (cd benchmarks && ../$(PY) "$$(basename $$b)") || exit 1; done

# AddressSanitizer + UBSan: the C++ tests, then the pytest suite against a
# sanitized build of the extension (loaded with the ASan runtime preloaded).
ASAN_BUILD := build/asan
sanitize: $(VENV)/.ready sysdeps
	$(VENV)/bin/cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_MAKE_PROGRAM=$(abspath $(VENV)/bin/ninja) \
	  -DKINETRA_PYTHON=ON -DKINETRA_TESTS=ON -DKINETRA_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DPython_EXECUTABLE=$(abspath $(PY))
	$(VENV)/bin/cmake --build $(ASAN_BUILD)
	$(VENV)/bin/ctest --test-dir $(ASAN_BUILD) --output-on-failure
	ASAN_OPTIONS=detect_leaks=0 LD_PRELOAD="$$(g++ -print-file-name=libasan.so) $$(g++ -print-file-name=libubsan.so)" \
	  PYTHONPATH=$(abspath $(ASAN_BUILD)) KINETRA_PROBE_DIR=$(abspath $(ASAN_BUILD)) \
	  $(PY) -m pytest -q -p no:cacheprovider

# Coverage-guided fuzzing of the URDF reader with libFuzzer (clang 16 or newer, for
# std::expected), under ASan and UBSan, starting from the project's URDF files, the XML
# seeds in tests/fuzz/seeds and, when it lies beside the work tree, the shared robot
# collection. Each input is also checked against expat's tree (tests/fuzz/urdf_fuzz.cpp).
# FUZZ_SECONDS sets the time.
FUZZ_BUILD := build/fuzz
FUZZ_SECONDS ?= 60
FUZZ_CXX ?= clang++-16
FUZZ_SEEDS := $(wildcard examples/robot/*.urdf ../shared/robots/*.urdf tests/fuzz/seeds/*)
fuzz: $(VENV)/.ready sysdeps
	@if ! command -v $(FUZZ_CXX) >/dev/null; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    apt-get update -qq && \
	    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq clang-16 libclang-rt-16-dev; \
	  else \
	    echo "fuzz needs clang 16: sudo apt-get install clang-16 libclang-rt-16-dev"; exit 1; \
	  fi; \
	fi
	CXX=$(FUZZ_CXX) $(VENV)/bin/cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_MAKE_PROGRAM=$(abspath $(VENV)/bin/ninja) \
	  -DKINETRA_PYTHON=OFF -DKINETRA_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	$(VENV)/bin/cmake --build $(FUZZ_BUILD)
	mkdir -p $(FUZZ_BUILD)/corpus
	cp $(FUZZ_SEEDS) $(FUZZ_BUILD)/corpus/
	$(FUZZ_BUILD)/urdf_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=65536 -rss_limit_mb=4096 \
	  -dict=tests/fuzz/urdf.dict $(FUZZ_BUILD)/corpus

# C++ sources for the formatter; Python sources for the linter.
CXX_SOURCES = $(shell find src tests benchmarks -name '*.cpp' -o -name '*.hpp' -o -name '*.h')
PY_DIRS := tests benchmarks examples tools stubs

format: $(VENV)/.dev
	$(VENV)/bin/clang-format -i $(CXX_SOURCES)

# Names each file that needs formatting once (its first difference); `make format` fixes all.
format-check: $(VENV)/.dev
	@$(VENV)/bin/clang-format --dry-run -Werror --ferror-limit=1 $(CXX_SOURCES) || \
	  { echo "C++ sources differ from .clang-format: run make format"; exit 1; }

lint: $(VENV)/.dev
	$(VENV)/bin/ruff check $(PY_DIRS)

clean:
	rm -rf build $(VENV)
