#!/usr/bin/env bash
# Fetches and unpacks the Debian source packages of the brotli and woff2
# decoders, which the Windows build compiles itself (cmake/WindowsDependencies.cmake).
#
# Usage: tools/fetch_windows_deps.sh [DEPS_DIR]   (default: <repo>/.deps)
# Result: DEPS_DIR/brotli and DEPS_DIR/woff2, the unpacked source trees.
# Running it again does nothing once both trees are unpacked.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
exec "$repo/tools/fetch_debian_sources.sh" fetch_windows_deps "${1:-$repo/.deps}" brotli woff2
