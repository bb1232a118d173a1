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
# test-wine, check-windows-imports, check-layering, clean.
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
  libbrotli-dev libfreetype-dev libharfbuzz-dev zlib1g-dev libcli11-dev nlohmann-json3-dev \
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
  fonts-noto-cjk fonts-dejavu-core fonts-ipafont-mincho \
  python3 python3-fonttools python3-brotli unicode-data kanjidic poppler-data locales \
  libharfbuzz-bin \
  clang libclang-rt-14-dev \
  librsvg2-bin python3-pil

# The steps of `make test`, in order. Each runs even when an earlier one
# failed; `make test` fails if any did.
TEST_STEPS := check-layering test-linux test-wine check-windows-imports

CMAKE_CONFIGURE := cmake -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)
WIN_TOOLCHAIN := $(CURDIR)/cmake/mingw-w64-x86_64.cmake
WINEPREFIX_DIR := $(abspath $(WIN_BUILD_DIR))/wineprefix

.PHONY: test run prepare packages packages-cli locale windows-deps \
        configure-linux configure-win build-linux build-win \
        test-linux test-wine wine-prefix check-windows-imports check-layering clean

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

# Who may include whom (docs/architecture.md): the core includes no front
# end's header, windows.h only in Windows files, and no include circle.
check-layering:
	python3 tools/check_layering.py
	python3 tools/check_layering_test.py

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
# must equal bench/references; glyphcensus -j1 against the floor of an ink
# test (bench/ink_floor_freetype.cpp) per font; and the fast ink test against
# the exact one on every character of those fonts. See bench/run.sh.
.PHONY: bench
bench: build-linux-cli
	GLYPHCENSUS_BENCH_BUILD=$(abspath $(BUILD_DIR)) WINEPREFIX="$(WINEPREFIX_DIR)" bench/run.sh

# The fast ink test against the exact one, character by character, on the
# bench fonts (also done by `make bench`; the test fonts, the hostile corpus
# and the Noto CJK collections are compared by `make test`).
.PHONY: check-fast-path
check-fast-path: build-linux-cli
	GLYPHCENSUS_BENCH_BUILD=$(abspath $(BUILD_DIR)) bench/run.sh 3 --fast-path-only

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

# Release (not part of `make test`, except the checks the builds' ctest runs):
#   make dist                dist/GlyphCensus-<version>-win64.zip: one folder
#                            GlyphCensus-<version>/ with the exe, a Japanese
#                            and English README.txt, the license and the
#                            third-party notices (tools/make_dist.py)
#   make check-reproducible  builds the exe, the zip and the .deb twice, from
#                            two clean clones of the committed HEAD, and
#                            compares them byte for byte
#                            (tools/check_reproducible.sh)
#   make fuzz-coverage       the lines and branches of fontio/ and coverage/
#                            that the fuzz seeds and corpora reach, per file,
#                            and an HTML report (tools/fuzz_coverage.sh);
#                            `make coverage` is the same
# Every build takes its file dates from the last commit.
export SOURCE_DATE_EPOCH ?= $(shell git log -1 --format=%ct 2>/dev/null)
PACKAGES += lintian python3-pefile
FUZZ_COVERAGE_DIR ?= build-fuzz-coverage
.PHONY: dist check-reproducible fuzz-coverage coverage
GLYPHCENSUS_VERSION := $(shell grep -o 'GlyphCensus VERSION [0-9.]*' CMakeLists.txt | cut -d' ' -f3)
dist: windows-deps configure-win
	cmake --build $(WIN_BUILD_DIR) -j$(JOBS) --target dist
	mkdir -p dist
	cp $(WIN_BUILD_DIR)/dist/GlyphCensus-$(GLYPHCENSUS_VERSION)-win64.zip dist/
	@ls -l dist/GlyphCensus-$(GLYPHCENSUS_VERSION)-win64.zip

check-reproducible: prepare
	tools/check_reproducible.sh "$(DEPS_DIR)"

fuzz-coverage: packages
	tools/fuzz_coverage.sh $(FUZZ_COVERAGE_DIR)

coverage: fuzz-coverage

# The browser page (web/): `make web` builds it into $(WEB_BUILD_DIR) (index.html,
# scripts, one glyphcensus.wasm; any static file server serves the folder),
# compiling the core and FreeType with Debian's emscripten, and zlib, libpng,
# FreeType, brotli and woff2 from Debian's source packages (fetched and built
# once into WEB_DEPS_DIR by tools/fetch_web_deps.sh; the CMake tree is
# $(WEB_BUILD_DIR)-cmake). `make serve-web` serves it on 127.0.0.1:WEB_PORT.
# `make test` runs the page's own tests (web/test/, node) and compares its
# results in headless Chromium with glyphcensus (tests/web/); `make web-screenshot` writes docs/web.png; `make
# bench` measures it (below).
WEB_BUILD_DIR ?= build-web
WEB_DEPS_DIR ?= $(CURDIR)/.deps-web
WEB_PORT ?= 8719
PACKAGES_WEB := cmake make dpkg-dev emscripten nodejs nlohmann-json3-dev python3
PACKAGES += $(PACKAGES_WEB) chromium chromium-driver python3-selenium
TEST_STEPS += test-web
# The optimizer of Debian's emscripten needs Debian's node modules (acorn),
# also when another node comes first in PATH.
WEB_ENV := NODE_PATH=/usr/share/nodejs
.PHONY: web web-deps serve-web test-web web-screenshot clean-web
web-deps:
	@tools/install_packages.sh --no-recommends $(PACKAGES_WEB)
	@$(WEB_ENV) JOBS=$(JOBS) nice -n 10 tools/fetch_web_deps.sh "$(WEB_DEPS_DIR)"

web: web-deps
	@$(WEB_ENV) emcmake cmake -DCMAKE_BUILD_TYPE=Release -DGLYPHCENSUS_TESTS=OFF \
	  -DGLYPHCENSUS_WEB_DEPS_DIR=$(WEB_DEPS_DIR) \
	  -DGLYPHCENSUS_WEB_OUTPUT_DIR=$(abspath $(WEB_BUILD_DIR)) \
	  -S . -B $(WEB_BUILD_DIR)-cmake >/dev/null
	$(WEB_ENV) nice -n 10 cmake --build $(WEB_BUILD_DIR)-cmake -j$(JOBS)

serve-web: web
	@echo "GlyphCensus in the browser: http://127.0.0.1:$(WEB_PORT)/ (Ctrl-C ends)"
	cd $(WEB_BUILD_DIR) && python3 -m http.server $(WEB_PORT) --bind 127.0.0.1

# Debian's python3, which has python3-selenium (another python3 may come first in PATH).
WEB_PYTHON ?= /usr/bin/python3
test-web: web build-linux
	node --test web/test/
	$(WEB_PYTHON) tests/web/web_test.py --page $(WEB_BUILD_DIR) \
	  --glyphcensus $(BUILD_DIR)/cli/glyphcensus --test-fonts $(BUILD_DIR)/testdata

web-screenshot: web
	$(WEB_PYTHON) tests/web/web_screenshot.py --page $(WEB_BUILD_DIR) --output docs/web.png

clean-web:
	rm -rf $(WEB_BUILD_DIR) $(WEB_BUILD_DIR)-cmake

# `make bench` also measures the page beside glyphcensus -j1 (bench/web_bench.py):
# IPAGothic's report with and without the worker's start, its map, the bytes
# the page loads, and the main thread's long tasks.
.PHONY: bench-web
bench: bench-web
bench-web: web build-linux-cli
	$(WEB_PYTHON) bench/web_bench.py --page $(WEB_BUILD_DIR) --glyphcensus $(BUILD_DIR)/cli/glyphcensus
