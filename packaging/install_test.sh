#!/usr/bin/env bash
# Installs a build into a DESTDIR with its own prefix and checks every file, runs
# desktop-file-validate and appstreamcli on what was installed, checks where the installed and
# moved copies keep their backups, then builds the Debian package and checks it with lintian.
# Usage: install_test.sh BUILD-DIR VERSION APP-ID
set -euo pipefail
build=$(cd "$1" && pwd)
version=$2
app_id=$3
work=$(mktemp -d /tmp/quillmar-install-XXXXXX)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

sizes=(16 32 48 64 128 256)
expected_files() {
  echo bin/quillmar
  echo "share/applications/$app_id.desktop"
  echo "share/metainfo/$app_id.metainfo.xml"
  echo share/man/man1/quillmar.1.gz
  echo share/bash-completion/completions/quillmar
  for size in "${sizes[@]}"; do echo "share/icons/hicolor/${size}x$size/apps/quillmar.png"; done
  echo share/doc/quillmar/copyright
  echo share/doc/quillmar/changelog.gz
}

# The backups folder that the copy at $1 names in its --help, with the rest of the
# environment given as arguments.
backups_of() {
  local program=$1
  shift
  env -u DISPLAY -u XDG_DATA_HOME "$@" "$program" --help | sed -n "s/^This copy's backups folder: //p"
}

# --- cmake --install into a DESTDIR, under a prefix of its own
DESTDIR=$work/dest cmake --install "$build" --prefix /opt/qm >"$work/install.log"
root=$work/dest/opt/qm
(cd "$work/dest" && find . -type f -o -type d -empty) | sort >"$work/found"
{ expected_files | sed 's|^|./opt/qm/|'; echo ./opt/qm/share/quillmar; } | sort >"$work/expected"
diff -u "$work/expected" "$work/found" >&2 || fail "installed files differ from the expected ones"
[[ -x $root/bin/quillmar ]] || fail "bin/quillmar is not executable"
echo "ok: cmake --install put $(wc -l <"$work/found") entries under DESTDIR/opt/qm and nothing else"

for size in "${sizes[@]}"; do
  icon=$root/share/icons/hicolor/${size}x$size/apps/quillmar.png
  [[ $(identify -format '%m %wx%h' "$icon") == "PNG ${size}x$size" ]] || fail "$icon is not a ${size}px PNG"
done
echo "ok: icons are PNGs of ${sizes[*]} pixels"

desktop-file-validate "$root/share/applications/$app_id.desktop" || fail "desktop-file-validate"
grep -qx 'Exec=quillmar %f' "$root/share/applications/$app_id.desktop" || fail "desktop entry's Exec"
appstreamcli validate --no-net "$root/share/metainfo/$app_id.metainfo.xml" || fail "appstreamcli validate"
grep -q "<release version=\"$version\"" "$root/share/metainfo/$app_id.metainfo.xml" || fail "metainfo's version"
echo "ok: desktop-file-validate and appstreamcli validate --no-net"

zcat "$root/share/man/man1/quillmar.1.gz" | grep -q "^\.TH QUILLMAR 1 .* \"Quillmar $version\"" || fail "man page's version"
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$root/share/man/man1/quillmar.1.gz" 2>&1 >/dev/null)
[[ -z $warnings ]] || fail "man page warnings: $warnings"
man -l "$root/share/man/man1/quillmar.1.gz" 2>/dev/null | grep -q 'XDG_DATA_HOME/quillmar/backups/' || fail "man page: where the store lives"
echo "ok: man page for $version renders without warnings"
# It says what the program does: every option of every command's help, and the store's layout.
manual=$(LC_ALL=C MANWIDTH=1000 man -l "$root/share/man/man1/quillmar.1.gz" 2>/dev/null | col -bx)
for command in clean list restore versions prune store; do
  for option in $(env -u DISPLAY "$root/bin/quillmar" "$command" --help | sed -n 's/^  \(-[-a-z0-9]*\).*/\1/p'); do
    grep -qF -- "$option" <<<"$manual" || fail "man page: no $option of $command"
  done
done
grep -qF 'Each path keeps its own latest copy below paths/' <<<"$manual" &&
  grep -qF 'is the latest copy of any file of that name' <<<"$manual" ||
  fail "man page: not the store's layout"
echo "ok: man page names every command's options and the store's layout"

# --- bash completion: the commands, a command's options, and restore's entries from the list
completions() {
  XDG_DATA_HOME=$work/completion-data bash -c '
    source /usr/share/bash-completion/bash_completion
    source "$1"
    shift
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE="${COMP_WORDS[*]}"
    COMP_POINT=${#COMP_LINE}
    _quillmar
    printf "%s\n" "${COMPREPLY[@]}"' _ "$root/share/bash-completion/completions/quillmar" "$@"
}
[[ $(completions quillmar re) == restore ]] || fail "completion of a command"
[[ $(completions quillmar restore --n) == --no-clobber ]] || fail "completion of an option"
[[ $(completions quillmar list -0) == -0 && $(completions quillmar he) == help ]] ||
  fail "completion of list -0 and help"
mkdir -p "$work/completion-data/quillmar/backups"
printf '/home/me/a.txt;/home/me/sub//b.txt;' >"$work/completion-data/quillmar/backups/list.txt"
[[ $(completions "$root/bin/quillmar" restore /home/me/s) == /home/me/sub//b.txt ]] ||
  fail "completion of restore's entries"
echo "ok: bash completion of commands, options and entries"

# --- where the installed copy keeps its backups, before and after the tree is moved
[[ $(env -u DISPLAY "$root/bin/quillmar" --version) == "quillmar $version" ]] || fail "installed --version"
[[ $(backups_of "$root/bin/quillmar" XDG_DATA_HOME="$work/data") == "$work/data/quillmar/backups/" ]] ||
  fail "installed copy does not use XDG_DATA_HOME"
[[ $(backups_of "$root/bin/quillmar" HOME="$work/home") == "$work/home/.local/share/quillmar/backups/" ]] ||
  fail "installed copy without XDG_DATA_HOME does not use ~/.local/share"
mv "$work/dest/opt/qm" "$work/moved"
[[ $(backups_of "$work/moved/bin/quillmar" XDG_DATA_HOME="$work/data") == "$work/data/quillmar/backups/" ]] ||
  fail "a moved installation is no longer installed"
mkdir "$work/stick"
cp "$work/moved/bin/quillmar" "$work/stick/"
[[ $(backups_of "$work/stick/quillmar" XDG_DATA_HOME="$work/data") == "$work/stick/backups/" ]] ||
  fail "a copy on its own does not keep its backups beside itself"
echo "ok: installed and moved copies use the data folder, a lone copy its own folder"

# --- the Debian package
cpack --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; fail "cpack"; }
deb=$work/package/quillmar_${version}_amd64.deb
[[ -f $deb ]] || fail "no $(basename "$deb"): $(ls "$work/package")"
[[ $(dpkg-deb -f "$deb" Version) == "$version" ]] || fail "package version"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libstdc++6 libgtk-3-0; do
  [[ ", $depends," == *", $library"[\ ,]* ]] || fail "Depends lacks $library: $depends"
done
dpkg-deb -c "$deb" | awk '{ print $6 }' | grep -v '/$' | sed 's|^\./usr/||' | sort >"$work/deb-files"
expected_files | sort | diff -u - "$work/deb-files" >&2 || fail "package files differ"
echo "ok: $(basename "$deb"), Depends: $depends"

lintian --fail-on error --display-info --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 ||
  { cat "$work/lintian.log" >&2; fail "lintian reports errors"; }
echo "ok: lintian reports no error"
grep '^[WI]: ' "$work/lintian.log" | sed 's/^/  lintian: /' || true

dpkg-deb -x "$deb" "$work/unpacked"
[[ $(backups_of "$work/unpacked/usr/bin/quillmar" XDG_DATA_HOME="$work/data") == "$work/data/quillmar/backups/" ]] ||
  fail "the unpacked package is not an installed copy"
echo "ok: the package unpacked anywhere counts as installed"
