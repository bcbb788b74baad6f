# make run      builds the program (nothing else) and starts it
# make test     builds everything and runs every test
# make sanitize runs every test again under AddressSanitizer and UBSan
# make fuzz     runs each fuzzer for FUZZ_SECONDS (clang)
# make coverage runs every test with coverage counters and prints the line
#               and branch coverage of each layer; fails below COVERAGE_FLOOR
# make package  builds a Debian package (build/recdb_*.deb) and checks that
#               it names its dependencies
# make dist     writes a source archive (build/recdb-VERSION.tar.gz), for a
#               machine without git
# make install  installs the programs, their manual pages and the bash completion
#               of recdb-file (prefix /usr/local)
# make windows  cross-builds recdb.exe and recdb-file.exe for 64-bit Windows
#               and packs them (build-windows/recdb-*-win64.zip and .exe)
# make windows-test  runs the tests of the Windows build under Wine
# Build output goes to standard error, so that the program's own output is
# all that standard output carries.
BUILD_DIR := build
SANITIZE_DIR := build-sanitize
COVERAGE_DIR := build-coverage
FUZZ_DIR := build-fuzz
WINDOWS_DIR := build-windows
JOBS := $(shell nproc 2>/dev/null || echo 2)
VERSION := $(shell sed -n '/^project/s/.*VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
FUZZ_SECONDS ?= 20
# Percent of lines and of branches that coverage may not fall below.
COVERAGE_FLOOR ?= 0 0
# Extra CMake settings, such as -DRECDB_WERROR=ON in continuous integration.
CMAKE_FLAGS ?=

.PHONY: all run test sanitize fuzz coverage package dist install build configure deps clean windows windows-test

all: build

deps:
	@scripts/install-deps >&2

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) >&2

build: configure
	@cmake --build $(BUILD_DIR) >&2

run: configure
	@cmake --build $(BUILD_DIR) --target recdb >&2
	@./$(BUILD_DIR)/recdb

test: build
	@ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

sanitize: deps
	@cmake -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DRECDB_SANITIZE=ON $(CMAKE_FLAGS) >&2
	@cmake --build $(SANITIZE_DIR) >&2
	@ctest --test-dir $(SANITIZE_DIR) --output-on-failure -j $(JOBS)

fuzz: deps
	@scripts/install-deps --fuzz >&2
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRECDB_FUZZ=ON \
		-DRECDB_TESTS=OFF $(CMAKE_FLAGS) >&2
	@cmake --build $(FUZZ_DIR) --target fuzz_requests fuzz_database_file fuzz_ordered_index >&2
	@cmake --build $(FUZZ_DIR) --target fuzz_file_check fuzz_file_import >&2
	@scripts/fuzz.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

coverage: deps
	@scripts/install-deps --coverage >&2
	@scripts/coverage.sh $(COVERAGE_DIR) $(COVERAGE_FLOOR)

# What CPack needs is installed first (or the command to install it shown),
# so that no package is written without its Depends.
package:
	@scripts/install-deps --package >&2
	@$(MAKE) --no-print-directory build
	@rm -f $(BUILD_DIR)/recdb_*.deb
	@cd $(BUILD_DIR) && cpack >&2
	@scripts/check-package.sh $(BUILD_DIR)/recdb_*.deb
	@ls $(BUILD_DIR)/recdb_*.deb

dist:
	@mkdir -p $(BUILD_DIR)
	@git archive --prefix=recdb-$(VERSION)/ -o $(BUILD_DIR)/recdb-$(VERSION).tar.gz HEAD
	@ls $(BUILD_DIR)/recdb-$(VERSION).tar.gz

install: build
	@cmake --install $(BUILD_DIR)

windows:
	@scripts/install-deps --windows >&2
	@cmake -S . -B $(WINDOWS_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
		$(CMAKE_FLAGS) >&2
	@cmake --build $(WINDOWS_DIR) >&2
	@cd $(WINDOWS_DIR) && cpack -G "ZIP;NSIS" >&2
	@ls $(WINDOWS_DIR)/recdb-*-win64.zip $(WINDOWS_DIR)/recdb-*-win64.exe

# The tests run under Wine, headless (scripts/wine-run), after a first run
# that makes Wine's prefix; the count of those run, and the reason of each
# skipped, close the run.
windows-test: windows
	@scripts/wine-run $(WINDOWS_DIR)/wine $(WINDOWS_DIR)/recdb.exe < /dev/null > /dev/null
	@ctest --test-dir $(WINDOWS_DIR) --output-on-failure -j $(JOBS) --output-junit wine-tests.xml
	@awk -F'"' '/^\ttests=/ { tests = $$2 } /^\tskipped=/ { skipped = $$2 } \
		END { print "Windows build under Wine: " tests - skipped " tests passed, " skipped " skipped" }' \
		$(WINDOWS_DIR)/wine-tests.xml
	@grep -h '\[  SKIPPED \]' $(WINDOWS_DIR)/wine-tests.xml || true

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(FUZZ_DIR) $(COVERAGE_DIR) $(WINDOWS_DIR)
