#!/usr/bin/env bash
# On Windows, a copy whose folder takes no new file keeps its backups in
# %LOCALAPPDATA%\Quillmar\backups\, and --help names that folder. The folder is made
# immutable on the Linux side, which even Wine's administrator cannot write to; without
# chattr's immutable flag (a file system or container that refuses it) the test is skipped.
# Usage: read_only_folder_windows_test.sh PATH-TO-QUILLMAR.EXE
set -euo pipefail
program=$(realpath "$1")
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d /tmp/quillmar-readonly-XXXXXX)
cleanup() {
  chattr -i "$work/portable" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

mkdir "$work/portable"
cp "$program" "$work/portable/quillmar.exe"
help() { "$here/scripts/wine-run.sh" "$work/portable/quillmar.exe" --help 2>/dev/null | tr -d '\r'; }

# Writable: the store is beside the program.
beside="This copy's backups folder: Z:${work//\//\\}\\portable\\backups\\"
help | grep -qxF "$beside" ||
  { echo "FAIL: a writable folder's copy does not keep its store beside itself" >&2; help >&2; exit 1; }

if ! chattr +i "$work/portable" 2>/dev/null; then
  echo "SKIP: this file system cannot make a folder immutable"
  exit 77
fi
line=$(help | grep "^This copy's backups folder: ")
case "$line" in
  *"\\AppData\\Local\\Quillmar\\backups\\") ;;
  *) echo "FAIL: a read-only folder's copy uses: $line" >&2; exit 1 ;;
esac
echo "PASS: $line"
