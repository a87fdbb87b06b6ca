#!/usr/bin/env bash
# Where quillmar.exe keeps its store, as --help names it: beside itself in a writable folder
# with a Japanese name (the program's path read in UTF-8), and in
# %LOCALAPPDATA%\Quillmar\backups\ once that folder takes no new file. The folder is made
# immutable on the Linux side, which even Wine's administrator cannot write to; without
# chattr's immutable flag (a file system or container that refuses it) that half is skipped.
# Usage: store_location_windows_test.sh PATH-TO-QUILLMAR.EXE
set -euo pipefail
program=$(realpath "$1")
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d /tmp/quillmar-store-XXXXXX)
cleanup() {
  chattr -i "$work/日本" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

mkdir "$work/日本"
cp "$program" "$work/日本/quillmar.exe"
help() { "$here/scripts/wine-run.sh" "$work/日本/quillmar.exe" --help 2>/dev/null | tr -d '\r'; }

# Writable: the store is beside the program.
beside="This copy's backups folder: Z:${work//\//\\}\\日本\\backups\\"
help | grep -qxF "$beside" ||
  { echo "FAIL: a writable folder's copy does not keep its store beside itself" >&2; help >&2; exit 1; }

if ! chattr +i "$work/日本" 2>/dev/null; then
  echo "SKIP: this file system cannot make a folder immutable"
  exit 77
fi
line=$(help | grep "^This copy's backups folder: ")
case "$line" in
  *"\\AppData\\Local\\Quillmar\\backups\\") ;;
  *) echo "FAIL: a read-only folder's copy uses: $line" >&2; exit 1 ;;
esac
echo "PASS: $line"
