#!/usr/bin/env bash
# Cross-builds the Windows executable into build-windows/ (or the folder given as $1):
# build-windows/quillmar/quillmar.exe, statically linked. Installs the cross compiler, Wine
# and the GoogleTest sources when they are missing. Extra arguments go to CMake's configure.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh --windows
build=${1:-build-windows}
shift || true
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
cmake --build "$build" -j2
