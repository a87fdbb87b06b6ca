#!/usr/bin/env bash
# A fixture tree with what a plain copy loses, through scripts/round_trip.sh in place: a link to
# a file, to a folder, one that leads nowhere and one that leaves the tree; two names of one
# file; a set-user-ID file; a 1 GiB file that is all hole; a file with a user.* attribute; a file
# of another user (as root); names with a line break and with bytes that are not UTF-8.
# Usage: round_trip_test.sh PATH-TO-QUILLMAR
set -uo pipefail
work=$(mktemp -d "${TMPDIR:-/tmp}/quillmar-round-trip-test-XXXXXX")
trap 'rm -rf "$work"' EXIT
tree=$work/tree
mkdir -p "$tree/sub" "$tree/deep/er" "$work/outside"
echo "a file" >"$tree/file.txt"
echo "in a folder" >"$tree/sub/s.txt"
echo "outside the tree" >"$work/outside/out.txt"
ln -s file.txt "$tree/link_to_file"
ln -s sub "$tree/link_to_folder"
ln -s "no such file" "$tree/dangling"
ln -s ../outside "$tree/link_outside"
echo "one file, two names" >"$tree/hard_a"
ln "$tree/hard_a" "$tree/deep/er/hard_b"
echo "set-user-ID" >"$tree/setuid"
chmod 4755 "$tree/setuid"
truncate -s 1G "$tree/sparse"
echo "noted" >"$tree/noted"
python3 -c 'import os, sys; os.setxattr(sys.argv[1], "user.colour", b"blue")' "$tree/noted" ||
  echo "round_trip_test: this file system keeps no user.* attributes" >&2
if ((EUID == 0)); then
  echo "someone else's" >"$tree/owned"
  chown nobody:nogroup "$tree/owned"
fi
printf 'line\nbreak' >"$tree/$(printf 'line\nbreak')"
printf 'bytes' >"$tree/$(printf 'caf\xe9 \xff')"
# Times that no copy made now could have by chance.
find "$tree" -mindepth 1 -exec touch -h -d '2001-02-03 04:05:06.789' {} +
touch -d '2001-02-03 04:05:06.789' "$work/outside/out.txt"

"$(dirname "$0")/round_trip.sh" --in-place "$1" "$tree"
