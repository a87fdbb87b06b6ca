#!/usr/bin/env bash
# Installs what is missing, builds Quillmar and runs every test: the program's end-to-end and
# command tests on the normal build, then the Windows build with its tests under Wine, then
# the unit tests and the command tests under AddressSanitizer and UndefinedBehaviorSanitizer
# (the slow end-to-end window tests only run on the normal build), then the tests of the store
# and the engine, whose copies are named on a second thread, under ThreadSanitizer, then each
# fuzz target for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
# The unit tests run once, in the sanitizer build below.
./scripts/build.sh build -DQUILLMAR_UNIT_TESTS=OFF
(cd build && ctest --output-on-failure -j2)

# Windows: cross-built, then run under Wine in a prefix of this run's own.
./scripts/build-windows.sh build-windows
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/quillmar-wine.XXXXXX")
export WINEPREFIX
xvfb_pid=""
windows_done() {
  WINEPREFIX=$WINEPREFIX /usr/lib/wine/wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
  [[ -z $xvfb_pid ]] || kill "$xvfb_pid" 2>/dev/null || true
}
trap windows_done EXIT
# One X display and one Wine server that stays up for all the Windows tests: each of the
# several hundred Wine processes they start would otherwise start both, which took most of
# its time. Tests in a window of their own start their own display.
display_file=$WINEPREFIX.display
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [[ -s $display_file ]] && break; sleep 0.05; done
export DISPLAY=":$(head -n1 "$display_file")"
rm -f "$display_file"
/usr/lib/wine/wineserver -p
# Made once before the tests, which would otherwise all race to make it.
./scripts/wine-run.sh wineboot --init >/dev/null 2>&1
(cd build-windows && ctest --output-on-failure -j2)
windows_done
trap - EXIT
unset DISPLAY

# Any sanitizer report ends the process with an error, so a report fails its test.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# -O1 without debug information, as the sanitizers advise: the reports still name every
# function, and the build takes a good part less of the suite's time.
sanitizer_flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1")
# Built with clang and the fuzzers' coverage (QUILLMAR_FUZZ, which brings AddressSanitizer
# and UBSan): the fuzz targets below then need no build of their own, and clang compiles it
# in about two thirds of the processor time gcc takes.
./scripts/build.sh build-asan -DCMAKE_CXX_COMPILER=clang++-14 -DQUILLMAR_FUZZ=ON \
  -DQUILLMAR_UNIT_TESTS=ON "${sanitizer_flags[@]}"
(cd build-asan && ctest --output-on-failure -j2 -E 'e2e|E2E|EndToEnd')

export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1}
cmake -S . -B build-tsan -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 -DQUILLMAR_TSAN=ON \
  "${sanitizer_flags[@]}" >/dev/null
cmake --build build-tsan --target store_test engine_test
(cd build-tsan && ctest --output-on-failure -j2 -R '^(store_test|engine_test)[.]')

./scripts/fuzz.sh build-asan
