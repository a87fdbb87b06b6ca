#!/usr/bin/env bash
# The round trip a user makes: clean a tree into a store of its own, take the tree away,
# restore every entry (restore --all --yes), and compare what came back with what was there:
# each entry's type, contents, mode (set-id bits included), owner, modification time (to the
# nanosecond; not a folder's, which every restored file moves), link target text, the groups
# of names of one file (hard links, within the tree) and the user.* extended attributes, and
# whether a file with holes got them filled. Prints every difference and the figures, and exits
# with status 1 when there is any difference.
#
# Usage: round_trip.sh [--in-place] PATH-TO-QUILLMAR TREE
#   TREE is copied first (cp -a) into a scratch folder, so a system folder can be tried; a link
#   that leaves TREE then leads wherever it leads from the copy. With --in-place TREE itself is
#   cleaned, moved aside for the restore (it is the "before" of the comparison) and left so.
set -uo pipefail
in_place=0
if [[ ${1:-} == --in-place ]]; then
  in_place=1
  shift
fi
if (($# != 2)); then
  echo "Usage: $0 [--in-place] PATH-TO-QUILLMAR TREE" >&2
  exit 2
fi
quillmar=$1
tree=$(realpath -s "$2")
[[ -d $tree ]] || { echo "$0: not a folder: $2" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/quillmar-round-trip-XXXXXX")
cleanup() { rm -rf "$work"; }
trap cleanup EXIT
# A portable copy keeps its store beside itself: a fresh one.
mkdir "$work/bin"
cp "$quillmar" "$work/bin/quillmar"
q=$work/bin/quillmar

if ((in_place)); then
  subject=$tree
  before=$tree.before-restore
  [[ ! -e $before ]] || { echo "$0: $before is in the way" >&2; exit 2; }
else
  subject=$work/tree
  before=$work/before
  cp -a "$tree" "$subject" || { echo "$0: cannot copy $tree" >&2; exit 2; }
fi

now() { date +%s.%N; }
start=$(now)
env -u DISPLAY -u WAYLAND_DISPLAY "$q" clean "$subject" >"$work/clean.out" 2>"$work/clean.err"
clean_status=$?
cleaned=$(now)
# Taken away as a clean-up would, but kept for the comparison.
mv "$subject" "$before"
env -u DISPLAY -u WAYLAND_DISPLAY "$q" restore --all --yes </dev/null >"$work/restore.out" \
  2>"$work/restore.err"
restore_status=$?
restored=$(now)

grep '^Quillmar' "$work/clean.out" | tail -n 1
echo "restored: $(grep -c '^restored' "$work/restore.out" "$work/restore.err" | awk -F: '{ n += $2 } END { print n }') entries"
if ((clean_status != 0)); then
  echo "clean: exit status $clean_status"
  sed -n '/have no copy of their own/,$p' "$work/clean.err" | head -n 40
fi
if ((restore_status != 0)); then
  echo "restore: exit status $restore_status"
  grep -v '^restored' "$work/restore.err" | head -n 40
fi

python3 - "$before" "$subject" <<'EOF'
import os, stat, sys

before_root, after_root = sys.argv[1].encode(), sys.argv[2].encode()

def shown(relative):
    return repr(relative.decode("utf-8", "backslashreplace"))[1:-1] or "."

def walk(root):
    entries = {b"": os.lstat(root)}
    for folder, folders, files in os.walk(root):
        for name in folders + files:
            path = os.path.join(folder, name)
            entries[os.path.relpath(path, root)] = os.lstat(path)
    return entries

def kind(st):
    mode = st.st_mode
    return ("file" if stat.S_ISREG(mode) else "link" if stat.S_ISLNK(mode)
            else "folder" if stat.S_ISDIR(mode) else "other")

def user_attributes(path):
    try:
        names = [n for n in os.listxattr(path, follow_symlinks=False) if n.startswith("user.")]
        return {n: os.getxattr(path, n, follow_symlinks=False) for n in names}
    except OSError:
        return {}

def same_contents(a, b):
    with open(a, "rb") as first, open(b, "rb") as second:
        while True:
            x, y = first.read(1 << 20), second.read(1 << 20)
            if x != y:
                return False
            if not x:
                return True

def groups(entries):
    by_file = {}
    for relative, st in entries.items():
        if kind(st) == "file" and st.st_nlink > 1:
            by_file.setdefault((st.st_dev, st.st_ino), []).append(relative)
    return {frozenset(names) for names in by_file.values() if len(names) > 1}

before, after = walk(before_root), walk(after_root)
differences = []
def differ(relative, what):
    differences.append(f"{shown(relative)}: {what}")

for relative in sorted(set(before) | set(after)):
    if relative not in after:
        differ(relative, f"missing ({kind(before[relative])} before)")
        continue
    if relative not in before:
        differ(relative, f"not there before ({kind(after[relative])} now)")
        continue
    b, a = before[relative], after[relative]
    if kind(a) != kind(b):
        differ(relative, f"type: {kind(b)} before, {kind(a)} now")
        continue
    path_before, path_after = os.path.join(before_root, relative), os.path.join(after_root, relative)
    if stat.S_IMODE(a.st_mode) != stat.S_IMODE(b.st_mode) and kind(a) != "link":
        differ(relative, f"mode: {stat.S_IMODE(b.st_mode):04o} before, {stat.S_IMODE(a.st_mode):04o} now")
    if (a.st_uid, a.st_gid) != (b.st_uid, b.st_gid):
        differ(relative, f"owner: {b.st_uid}:{b.st_gid} before, {a.st_uid}:{a.st_gid} now")
    if kind(a) != "folder" and a.st_mtime_ns != b.st_mtime_ns:
        differ(relative, f"modification time: {b.st_mtime_ns} before, {a.st_mtime_ns} now")
    if kind(a) == "link" and os.readlink(path_after) != os.readlink(path_before):
        differ(relative, f"link target: {os.readlink(path_before)!r} before, {os.readlink(path_after)!r} now")
    if kind(a) == "file":
        if a.st_size != b.st_size:
            differ(relative, f"size: {b.st_size} before, {a.st_size} now")
        elif not same_contents(path_before, path_after):
            differ(relative, "contents differ")
        # A file with holes takes far fewer blocks than its size: filled, it takes them all.
        if a.st_blocks > b.st_blocks + 64:
            differ(relative, f"holes filled: {b.st_blocks} blocks before, {a.st_blocks} now")
    if user_attributes(path_after) != user_attributes(path_before):
        differ(relative, f"user.* attributes: {user_attributes(path_before)} before, {user_attributes(path_after)} now")

lost = groups(before) - groups(after)
for group in sorted(lost, key=sorted):
    differences.append("names of one file no longer one file: " + ", ".join(shown(n) for n in sorted(group)))

for line in differences:
    print(line)
files = sum(1 for st in before.values() if kind(st) == "file")
links = sum(1 for st in before.values() if kind(st) == "link")
print(f"round trip: {len(before)} entries ({files} files, {links} links), {len(differences)} differences")
sys.exit(1 if differences else 0)
EOF
compare_status=$?
awk -v s="$start" -v c="$cleaned" -v r="$restored" \
  'BEGIN { printf "clean %.2f s, restore --all %.2f s\n", c - s, r - c }'
if ((in_place)); then
  # The restored tree stays at its place; the tree as it was is beside it.
  echo "the tree as it was before the restore: $before"
fi
((compare_status == 0 && restore_status == 0)) && exit 0
exit 1
