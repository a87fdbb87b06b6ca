#!/usr/bin/env bash
# Builds the Windows packages into build-windows/packages/ (or the packages/ of the build
# folder given as $1): Quillmar-VERSION-setup.exe, made with NSIS, and
# Quillmar-VERSION-portable.zip. Installs the cross compiler, NSIS and zip when missing.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-windows}
./scripts/build-windows.sh "$build"
cmake --build "$build" --target windows_packages
ls -l "$build"/packages/Quillmar-*-setup.exe "$build"/packages/Quillmar-*-portable.zip
