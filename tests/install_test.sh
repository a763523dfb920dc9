#!/usr/bin/env bash
# Builds the package and the tarball, installs the package on this machine,
# uses it as a user would and removes it again, leaving /usr as it was.
# Needs root and dpkg: fails without them in CI (CI=true), skips elsewhere.
set -uo pipefail
cd "$(dirname "$0")/.."

if [ "$(id -u)" -ne 0 ] || ! command -v dpkg >/dev/null; then
  echo "install_test: needs root and dpkg to install the package"
  [ "${CI:-}" = true ] && exit 1
  echo "install_test: skipped"
  exit 0
fi

passed=0 failed=0
ok() { passed=$((passed + 1)); echo "ok   $1"; }
bad() { failed=$((failed + 1)); echo "FAIL $1"; }
expect() {  # expect NAME WANTED GOT
  if [ "$2" = "$3" ]; then ok "$1"; else bad "$1"; printf '  wanted: %s\n  got:    %s\n' "$2" "$3"; fi
}
tmp=$(mktemp -d)
editor_pid=""
cleanup() {
  [ -n "$editor_pid" ] && kill "$editor_pid" 2>/dev/null
  dpkg -s tackedit >/dev/null 2>&1 && dpkg -P tackedit >/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT

# A package left by an earlier run would spoil the comparison of /usr.
dpkg -s tackedit >/dev/null 2>&1 && dpkg -P tackedit >/dev/null

if ! scripts/package.sh >"$tmp/package.log" 2>&1; then
  tail -n 40 "$tmp/package.log"
  bad "scripts/package.sh"
  echo "0 passed, 1 failed"
  exit 1
fi
deb=$(ls build-package/tackedit_*_amd64.deb)
tarball=$(ls build-package/tackedit-*-linux-x86_64.tar.gz)
version=$(dpkg-deb -f "$deb" Version)
ok "package.sh built $deb and $tarball"

echo "== lintian $deb"
lintian -I --pedantic --fail-on error "$deb" 2>&1 | grep -v '^running with root privileges'
[ "${PIPESTATUS[0]}" -eq 0 ] && ok "lintian: no errors" || bad "lintian: errors"
echo "== Depends: $(dpkg-deb -f "$deb" Depends)"
# The video needs a browser and an encoder; nothing else does, so they are only recommended.
recommends=$(dpkg-deb -f "$deb" Recommends)
[[ ", $recommends," == *", chromium,"* && ", $recommends," == *", ffmpeg,"* ]] &&
  ok "recommends chromium and ffmpeg" || bad "recommends: $recommends"

mkdir "$tmp/unpacked"
dpkg-deb -x "$deb" "$tmp/unpacked"
desktop-file-validate "$tmp"/unpacked/usr/share/applications/*.desktop && ok "desktop-file-validate" \
  || bad "desktop-file-validate"
appstreamcli validate --no-net "$tmp"/unpacked/usr/share/metainfo/*.metainfo.xml && ok "appstreamcli validate" \
  || bad "appstreamcli validate"

# Files under /usr, less the caches that triggers rebuild when a package comes or goes.
usr_files() {
  find /usr -xdev \( -type f -o -type l \) 2>/dev/null \
    | awk '!/^\/usr\/share\/mime\// || /^\/usr\/share\/mime\/packages\//' \
    | grep -Ev '/icon-theme\.cache$|^/usr/share/applications/mimeinfo\.cache$' | LC_ALL=C sort
}
usr_files >"$tmp/before"

if dpkg -i "$deb" >"$tmp/dpkg.log" 2>&1; then ok "dpkg -i"; else cat "$tmp/dpkg.log"; bad "dpkg -i"; fi
expect "tackedit-cli --version" "tackedit-cli $version" "$(tackedit-cli --version 2>&1)"
expect "tackedit --version" "tackedit $version" "$(env -u DISPLAY -u WAYLAND_DISPLAY tackedit --version 2>&1)"
expect "man -w tackedit-cli" /usr/share/man/man1/tackedit-cli.1.gz "$(man -w tackedit-cli 2>&1)"
expect "man -w tackvue-standin" /usr/share/man/man1/tackvue-standin.1.gz "$(man -w tackvue-standin 2>&1)"
grep -qx 'application/x-tackedit-race' /usr/share/mime/types && ok "MIME types registered" \
  || bad "MIME types registered"
# What a file manager makes of the files, and what opens them. A race file's
# .txt ending decides first; its content tells it only without that ending.
mkdir -p "$tmp/files"
cp demo/gpsdat/umikaze.trb "$tmp/files/boat.trb"
cp demo/raceadmin/demo_race.txt "$tmp/files/race"
expect "type of a TRB file" application/x-tackedit-trb \
  "$(gio info -a standard::content-type "$tmp/files/boat.trb" | awk '/content-type/ {print $2}')"
expect "type of a race file by its content" application/x-tackedit-race \
  "$(gio info -a standard::content-type "$tmp/files/race" | awk '/content-type/ {print $2}')"
desktop_id=$(basename "$(dpkg -L tackedit | grep '^/usr/share/applications/.*\.desktop$')")
expect "TRB files open with tackedit" "$desktop_id" "$(xdg-mime query default application/x-tackedit-trb)"

# Tab completion as bash would ask for it.
complete_line() {  # complete_line COMMAND WORD... : prints the candidates, sorted
  bash -c 'source /usr/share/bash-completion/bash_completion
           source /usr/share/bash-completion/completions/$1
           COMP_WORDS=("${@:2}"); COMP_CWORD=$(($# - 2)); COMP_LINE="${*:2}"; COMP_POINT=${#COMP_LINE}
           _${1//-/_}; printf "%s\n" "${COMPREPLY[@]}" | LC_ALL=C sort' _ "$@"
}
mkdir -p "$tmp/ws/raceadmin" "$tmp/ws/gpsdat"
touch "$tmp/ws/raceadmin/cup_day1.txt" "$tmp/ws/raceadmin/cup_day2.TXT" "$tmp/ws/gpsdat/a.gpx" \
      "$tmp/ws/gpsdat/b.FIT" "$tmp/ws/gpsdat/notes.doc"
expect "completion: commands" "$(printf 'check\nclean\nconvert')" "$(complete_line tackedit-cli tackedit-cli c)"
expect "completion: options" "--json" "$(complete_line tackedit-cli tackedit-cli check "$tmp/ws" x --j)"
expect "completion: track endings" "$(printf '%s\n' "$tmp/ws/gpsdat/a.gpx" "$tmp/ws/gpsdat/b.FIT")" \
  "$(complete_line tackedit-cli tackedit-cli dump "$tmp/ws/gpsdat/")"
expect "completion: race files" "$(printf 'cup_day1.txt\ncup_day2.TXT')" \
  "$(complete_line tackedit-cli tackedit-cli distribute "$tmp/ws" cup cup_day1.txt c)"
expect "completion: editor" "--workspace" "$(complete_line tackedit tackedit --w)"

# The first start of an installed editor makes ~/tackedit with the demo race.
home=$(mktemp -d)
HOME=$home QT_QPA_PLATFORM=offscreen env -u TACKEDIT_WORKSPACE tackedit >"$tmp/editor.log" 2>&1 &
editor_pid=$!
for _ in $(seq 120); do
  [ -f "$home/tackedit/raceadmin/demo_race.txt" ] && break
  sleep 0.5
done
if [ -f "$home/tackedit/raceadmin/demo_race.txt" ]; then ok "first start made ~/tackedit"
else cat "$tmp/editor.log"; bad "first start made ~/tackedit (no $home/tackedit/raceadmin/demo_race.txt)"; fi
kill "$editor_pid" 2>/dev/null; wait "$editor_pid" 2>/dev/null; editor_pid=""
rm -rf "$home"

dpkg -r tackedit >"$tmp/dpkg.log" 2>&1 && dpkg -P tackedit >>"$tmp/dpkg.log" 2>&1 && ok "dpkg -r, dpkg -P" \
  || { cat "$tmp/dpkg.log"; bad "dpkg -r, dpkg -P"; }
usr_files >"$tmp/after"
if diff "$tmp/before" "$tmp/after" >"$tmp/usr.diff"; then ok "/usr as before"
else sed 's/^/  /' "$tmp/usr.diff" | head -n 40; bad "/usr as before"; fi
left=$(dpkg-deb -c "$deb" | awk '{print substr($6, 2)}' | while read -r f; do
  [ -f "$f" ] && echo "$f"; done)
expect "no packaged file left" "" "$left"

# The tarball runs where it is unpacked, on the workspace beside it.
tar -C "$tmp" -xzf "$tarball"
portable=$tmp/tackedit-$version
expect "portable tackedit-cli --version" "tackedit-cli $version" "$("$portable/tackedit-cli" --version 2>&1)"
expect "portable tackedit --version" "tackedit $version" "$(env -u DISPLAY "$portable/tackedit" --version 2>&1)"
# Its window works in its own folder: on start it clears the viewer's hand-off
# file there, and makes no ~/tackedit.
home=$(mktemp -d)
printf 'demo_race.txt\r\n' >"$portable/ctrl/editfile.edt"
HOME=$home QT_QPA_PLATFORM=offscreen env -u TACKEDIT_WORKSPACE "$portable/tackedit" >"$tmp/editor.log" 2>&1 &
editor_pid=$!
for _ in $(seq 120); do
  [ -f "$portable/ctrl/editfile.edt" ] || break
  sleep 0.5
done
if [ ! -f "$portable/ctrl/editfile.edt" ] && [ ! -e "$home/tackedit" ]; then ok "portable window works in its folder"
else cat "$tmp/editor.log"; bad "portable window works in its folder"; fi
kill "$editor_pid" 2>/dev/null; wait "$editor_pid" 2>/dev/null; editor_pid=""
rm -rf "$home"
# 3: the demo race has warnings by design (a track with jumps), and no error.
(cd "$portable" && ./tackedit-cli check . demo_race.txt >/dev/null)
expect "portable workspace checks without errors" 3 "$?"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
