# The two everyday commands: `make run` installs, builds and starts the clock; `make check` installs, builds and tests.
PRESET ?= dev
BUILD := build/$(PRESET)
JOBS ?= $(shell nproc)

.PHONY: deps build run check bench clean

deps:
	@scripts/install-deps

build: deps
	@cmake --preset $(PRESET) >/dev/null
	@cmake --build $(BUILD) -j$(JOBS)

run:
	@if [ -z "$$DISPLAY" ]; then echo "make run: no display to show the clock on (DISPLAY is not set)" >&2; exit 1; fi
	@$(MAKE) --no-print-directory build
	QT_QPA_PLATFORM=xcb $(BUILD)/bin/quadrantix

# Everything with warnings as errors, then the unit tests again under AddressSanitizer and UBSan.
check: deps
	cmake --preset ci
	cmake --build build/ci -j$(JOBS)
	ctest --test-dir build/ci --output-on-failure -j$(JOBS)
	cmake --preset asan
	cmake --build build/asan -j$(JOBS) --target unit_tests
	ctest --test-dir build/asan -L unit --output-on-failure -j$(JOBS)

bench:
	@$(MAKE) --no-print-directory build PRESET=release
	bench/run build/release

clean:
	rm -rf build
