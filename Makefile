# GlyphCensus: set-up, builds and tests. Run from the repository root, as root,
# on Debian 12:
#
#   make run FONT=path   build the glyphcensus command and measure each FONT
#                        (several paths separated by spaces; ARGS=--missing
#                        also lists the characters a font does not draw);
#                        installs only the packages the command needs
#   make test            install the packages, build Linux and Windows, run
#                        every test natively and under Wine, check the exes
#
#   make install         install glyphcensus and its manual page under PREFIX
#                        (default /usr/local)
#   make package         build a Debian package of them in build/
#
# Other useful targets: packages, build-linux, build-win, test-linux,
# test-wine, check-windows-imports, clean.
# Add a step to `make test` from here with  TEST_STEPS += your-target
# and a package with  PACKAGES += name.

SHELL := /bin/bash
.SHELLFLAGS := -eu -o pipefail -c
.DEFAULT_GOAL := build-linux
MAKEFLAGS += --no-print-directory

JOBS ?= 2
CTEST_JOBS ?= 1
BUILD_TYPE ?= Release
BUILD_DIR ?= build
WIN_BUILD_DIR ?= build-win
DEPS_DIR ?= $(CURDIR)/.deps
FONT ?= /usr/share/fonts/opentype/ipafont-gothic/ipag.ttf
ARGS ?=

# The Debian packages the glyphcensus command needs to build and run, and the
# font `make run` measures by default: all that `make run` installs (dpkg-dev
# fetches the woff2 source package the build compiles the decoder from).
PACKAGES_CLI := \
  cmake make pkg-config g++ dpkg-dev \
  libbrotli-dev libfreetype-dev zlib1g-dev libcli11-dev nlohmann-json3-dev \
  fonts-ipafont-gothic

# Also needed for `make install` (the manual page) and `make package`.
PACKAGES_INSTALL := $(PACKAGES_CLI) help2man
PACKAGES_PACKAGE := $(PACKAGES_INSTALL) dpkg-dev

# Every Debian package the builds and tests need (`make test`): the command's,
# then its manual page and Debian package, the Windows cross-build, Wine, the
# test tools and fonts, the fuzzers.
PACKAGES := $(PACKAGES_CLI) \
  dpkg-dev help2man \
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 \
  libz-mingw-w64-dev \
  wine64 wine xvfb imagemagick \
  googletest woff2 \
  fonts-noto-cjk fonts-dejavu-core \
  python3 python3-fonttools python3-brotli unicode-data kanjidic locales \
  clang libclang-rt-14-dev \
  librsvg2-bin python3-pil

# The steps of `make test`, in order. Each runs even when an earlier one
# failed; `make test` fails if any did.
TEST_STEPS := test-linux test-wine check-windows-imports

CMAKE_CONFIGURE := cmake -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)
WIN_TOOLCHAIN := $(CURDIR)/cmake/mingw-w64-x86_64.cmake
WINEPREFIX_DIR := $(abspath $(WIN_BUILD_DIR))/wineprefix

.PHONY: test run prepare packages packages-cli locale windows-deps \
        configure-linux configure-win build-linux build-win \
        test-linux test-wine wine-prefix check-windows-imports clean

test: prepare
	@failed=""; \
	for step in $(TEST_STEPS); do \
	  echo "=== make test: $$step"; \
	  $(MAKE) --no-print-directory $$step || failed="$$failed $$step"; \
	done; \
	if [[ -n "$$failed" ]]; then echo "=== make test: FAILED:$$failed"; exit 1; fi; \
	echo "=== make test: all steps passed ($(TEST_STEPS))"

prepare: packages locale windows-deps

# Installs the missing packages; quick when all are installed already.
packages:
	@tools/install_packages.sh $(PACKAGES)

# Only what the glyphcensus command needs (for `make run`).
packages-cli:
	@tools/install_packages.sh --no-recommends $(PACKAGES_CLI)

# Wine runs in the Japanese locale (code page 932).
locale:
	@if locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then echo "locale: ja_JP.UTF-8 present"; \
	else echo "locale: generating ja_JP.UTF-8"; localedef -i ja_JP -f UTF-8 ja_JP.UTF-8; fi

windows-deps:
	@tools/fetch_windows_deps.sh "$(DEPS_DIR)"

# The Linux build compiles the woff2 decoder from its source package too.
configure-linux: windows-deps
	@$(CMAKE_CONFIGURE) -S . -B $(BUILD_DIR) -DGLYPHCENSUS_DEPS_DIR=$(DEPS_DIR) >/dev/null

# The Windows build also compares its GDI reports with the Linux glyphcensus.
configure-win:
	@$(CMAKE_CONFIGURE) -S . -B $(WIN_BUILD_DIR) \
	  -DCMAKE_TOOLCHAIN_FILE=$(WIN_TOOLCHAIN) \
	  -DGLYPHCENSUS_DEPS_DIR=$(DEPS_DIR) \
	  -DGLYPHCENSUS_LINUX_GLYPHCENSUS=$(abspath $(BUILD_DIR))/cli/glyphcensus >/dev/null

build-linux: configure-linux
	cmake --build $(BUILD_DIR) -j$(JOBS)

build-win: configure-win
	cmake --build $(WIN_BUILD_DIR) -j$(JOBS)

test-linux: build-linux
	cd $(BUILD_DIR) && ctest --output-on-failure --no-tests=error -j$(CTEST_JOBS)

# A fresh Wine prefix for every run; the Linux build provides glyphcensus for
# the comparison of the two glyph tests.
wine-prefix:
	@tools/wine_prefix.sh "$(WINEPREFIX_DIR)"

test-wine: build-linux build-win wine-prefix
	@status=0; \
	(cd $(WIN_BUILD_DIR) && WINEPREFIX="$(WINEPREFIX_DIR)" ctest --output-on-failure -j$(CTEST_JOBS)) || status=$$?; \
	WINEPREFIX="$(WINEPREFIX_DIR)" timeout 60 /usr/lib/wine/wineserver64 -k 2>/dev/null || true; \
	exit $$status

# The exes must be self-contained: only system DLLs, no MinGW runtime DLLs.
check-windows-imports: build-win
	tools/check_windows_imports.sh $(WIN_BUILD_DIR)

run: packages-cli build-linux-cli
	@for f in $(FONT); do \
	  echo "=== $$f"; \
	  $(BUILD_DIR)/cli/glyphcensus $(ARGS) "$$f" || status=$$?; \
	done; exit $${status:-0}

.PHONY: build-linux-cli
build-linux-cli: configure-linux
	cmake --build $(BUILD_DIR) -j$(JOBS) --target glyphcensus

# `make install [PREFIX=/usr/local] [DESTDIR=staging]`: glyphcensus and its
# manual page glyphcensus(1). `make package`: a Debian package of both,
# $(BUILD_DIR)/glyphcensus_<version>_<arch>.deb.
PREFIX ?= /usr/local
.PHONY: install package build-linux-install
build-linux-install: configure-linux
	cmake --build $(BUILD_DIR) -j$(JOBS) --target glyphcensus glyphcensus_man

install:
	@tools/install_packages.sh --no-recommends $(PACKAGES_INSTALL)
	@$(MAKE) build-linux-install
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

package:
	@tools/install_packages.sh --no-recommends $(PACKAGES_PACKAGE)
	@$(MAKE) build-linux-install
	cd $(BUILD_DIR) && cpack -G DEB

clean:
	rm -rf $(BUILD_DIR) $(WIN_BUILD_DIR)

# Benchmark of whole measurements (not part of `make test`): glyphcensus on
# IPAGothic and on a WOFF2 of it, the GDI report under Wine once build-win
# has it, and glyphcensus against fc-query and fontTools over a folder of real
# Japanese fonts (their Debian packages are installed first), whose reports
# must equal bench/references. See bench/run.sh.
.PHONY: bench
bench: build-linux-cli
	GLYPHCENSUS_BENCH_BUILD=$(abspath $(BUILD_DIR)) WINEPREFIX="$(WINEPREFIX_DIR)" bench/run.sh

# Hostile input (fuzz/, tests/hostile/): the libFuzzer targets (clang, in
# build-fuzz) and the native tests under AddressSanitizer and
# UndefinedBehaviorSanitizer (in build-asan). `make test` replays every seed
# and fuzzes each target for FUZZ_SMOKE_SECONDS; `make fuzz` fuzzes each for
# FUZZ_SECONDS (make fuzz FUZZ_SECONDS=600).
FUZZ_SECONDS ?= 60
FUZZ_SMOKE_SECONDS ?= 15
TEST_STEPS += test-asan test-fuzz
.PHONY: fuzz test-fuzz test-asan
fuzz: packages
	fuzz/run_fuzzers.sh $(FUZZ_SECONDS)

test-fuzz:
	fuzz/run_fuzzers.sh --smoke $(FUZZ_SMOKE_SECONDS)

test-asan:
	tools/sanitized_tests.sh -j$(CTEST_JOBS)

# The README's picture (not part of `make test`): GlyphCensus.exe showing the
# report of IPAGothic, under Xvfb with Wine's X11 driver and the Japanese
# locale. Writes docs/screenshot.png.
PACKAGES += x11-utils
.PHONY: screenshot
screenshot: packages locale windows-deps
	cmake --build $(WIN_BUILD_DIR) -j$(JOBS) --target GlyphCensus 2>/dev/null || $(MAKE) --no-print-directory build-win
	tools/screenshot.sh $(WIN_BUILD_DIR)/app/GlyphCensus.exe docs/screenshot.png

# The README's picture of the coverage map (not part of `make test`):
# IPAexGothic's map, drawn with librsvg and cut to its header and the first
# rows of JIS X 0213 plane 1. Writes docs/coverage_map.png.
PACKAGES += fonts-ipaexfont
.PHONY: map-picture
map-picture: packages configure-linux
	cmake --build $(BUILD_DIR) -j$(JOBS) --target glyphcensus
	tools/map_picture.sh $(BUILD_DIR)/cli/glyphcensus docs/coverage_map.png
