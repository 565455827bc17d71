# The two everyday commands: `make run` installs, builds and starts the clock; `make check` installs, builds and tests.
PRESET ?= dev
BUILD := build/$(PRESET)
JOBS ?= $(shell nproc)
# `make install` and `make uninstall`: the prefix and an optional staging folder (DESTDIR), as for any package.
PREFIX ?= /usr/local
SUDO := $(if $(DESTDIR),,$(shell [ "$$(id -u)" -eq 0 ] || echo sudo))

.PHONY: deps test-deps build run check install uninstall deb screenshots bench clean

# What building and running need, and what the tests add (scripts/install-deps lists both).
deps:
	@scripts/install-deps
test-deps:
	@scripts/install-deps test

# The `app` preset builds the programs alone; the others also build the tests, which need the test set.
build: $(if $(filter app,$(PRESET)),deps,test-deps)
	@cmake --preset $(PRESET) >/dev/null
	@cmake --build $(BUILD) -j$(JOBS)

# The programs alone, without the tests: only the build and run packages are installed.
run:
	@if [ -z "$$DISPLAY" ]; then echo "make run: no display to show the clock on (DISPLAY is not set)" >&2; exit 1; fi
	@$(MAKE) --no-print-directory build PRESET=app
	QT_QPA_PLATFORM=xcb build/app/bin/quadrantix

# Everything with warnings as errors (the store's stress and kill tests run on their own), libFuzzer on the INI
# reader and writer (in memory, and through files), then the unit and end-to-end tests again under AddressSanitizer,
# UBSan and LeakSanitizer. The first ctest run includes the staged install (label "install").
check: test-deps
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

# Builds as the user, then installs stripped (with sudo when not root and not staging into DESTDIR). Horacumul's
# autostart entry goes to /etc/xdg/autostart whatever the prefix.
install:
	@$(MAKE) --no-print-directory build PRESET=app
	$(SUDO) env DESTDIR="$(DESTDIR)" cmake --install build/app --prefix "$(PREFIX)" --strip

# Removes what the last `make install` listed in its manifest, links included (give the same DESTDIR).
uninstall:
	$(SUDO) env DESTDIR="$(DESTDIR)" cmake -P cmake/uninstall.cmake build/app/install_manifest.txt

# The Debian package quadrantix_<version>_<arch>.deb in build/deb, built from a copy of the sources (dpkg-buildpackage
# writes beside the source folder), then checked with lintian.
deb:
	@scripts/install-deps package
	rm -rf build/deb && mkdir -p build/deb/quadrantix
	git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t build/deb/quadrantix
	cd build/deb/quadrantix && DEB_BUILD_OPTIONS="parallel=$(JOBS)" dpkg-buildpackage -us -uc -b
	lintian --fail-on error,warning --info build/deb/quadrantix_*.changes
	@ls build/deb/*.deb

# The README's pictures, rendered under Xvfb at a fixed time with fixed settings (tools/screenshots).
screenshots:
	@$(MAKE) --no-print-directory build PRESET=dev
	/usr/bin/python3 tools/screenshots/screenshots.py build/dev docs/pictures

bench:
	@$(MAKE) --no-print-directory build PRESET=release
	bench/run build/release

clean:
	rm -rf build
