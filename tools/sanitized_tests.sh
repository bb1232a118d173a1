#!/usr/bin/env bash
# Builds the native unit tests with AddressSanitizer and UndefinedBehavior-
# Sanitizer in build-asan and runs them with ctest. Any finding (memory error,
# leak, undefined behaviour) aborts the test that hit it, so ctest fails.
#
# Usage: tools/sanitized_tests.sh [ctest arguments...]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$root/build-asan
flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGLYPHCENSUS_DEPS_DIR="${DEPS_DIR:-$root/.deps}" \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$build" -j2
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
cd "$build"
ctest --output-on-failure "$@"
