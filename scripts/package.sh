#!/usr/bin/env bash
# Installs what is missing, builds Quillmar in Release into build-package/ and makes its
# Debian package there with CPack (dependencies computed by dpkg-shlibdeps), then checks it
# with lintian, which must report no error. Prints the package's path last.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-package -j2
(cd build-package && cpack >/dev/null)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-package/CMakeCache.txt)
deb=$PWD/build-package/quillmar_${version}_amd64.deb
lintian --fail-on error "$deb"
echo "$deb"
