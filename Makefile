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

# Everything with warnings as errors (the store's stress and kill tests run on their own), a minute of libFuzzer on
# each INI reader, then the unit and end-to-end tests again under AddressSanitizer, UBSan and LeakSanitizer.
check: deps
	cmake --preset ci
	cmake --build build/ci -j$(JOBS)
	ctest --test-dir build/ci --output-on-failure -j$(JOBS)
	@$(FIGURES) build/ci/Testing/Temporary/LastTest.log
	cmake -S fuzz -B build/fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build build/fuzz -j$(JOBS)
	ctest --test-dir build/fuzz --output-on-failure -j$(JOBS)
	@$(FIGURES) build/fuzz/Testing/Temporary/LastTest.log
	cmake --preset asan
	cmake --build build/asan -j$(JOBS) --target unit_tests e2e_programs
	ctest --test-dir build/asan -L 'unit|e2e' --output-on-failure -j$(JOBS)
	@$(FIGURES) build/asan/Testing/Temporary/LastTest.log

# The figures the robustness tests report: fuzzer executions, store stress and kills, bad values tried.
FIGURES := awk '/^[0-9]+\/[0-9]+ Testing: /{t=$$3} /^Done [0-9]+ runs/{print "figures: " t ": " $$0} \
	/^(store stress|store kill|bad settings):/{print "figures: " $$0}'

bench:
	@$(MAKE) --no-print-directory build PRESET=release
	bench/run build/release

clean:
	rm -rf build
