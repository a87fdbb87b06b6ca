#!/usr/bin/env bash
# Installs what is missing, builds Quillmar and runs every test: the normal build, then the
# whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer (without the slow
# end-to-end window tests), then each fuzz target for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh build
(cd build && ctest --output-on-failure -j2)

# Any sanitizer report ends the process with an error, so a report fails its test.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
./scripts/build.sh build-asan -DQUILLMAR_SANITIZE=ON
(cd build-asan && ctest --output-on-failure -j2 -E 'e2e|E2E|EndToEnd')

./scripts/fuzz.sh build-fuzz
