#!/usr/bin/env bash
# The release zip as an aircraft developer gets it: made by scripts/package
# (twice, which must give the same bytes), unpacked into a fresh folder and
# run from there. Runs under the wine world of scripts/test (WINEPREFIX,
# DISPLAY and the sound set-up come from its environment).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

zip="$(bash "$ROOT/scripts/package" | tail -n 1)"
first="$(cat "$zip.sha256")"
bash "$ROOT/scripts/package" >/dev/null
second="$(cat "$zip.sha256")"
echo "zip: $first"
[ "$first" = "$second" ] || fail "a second package run gave another zip: $second"

name="$(basename "$zip" .zip)"
version="${name#kvo_sound-}"
unpacked="$ROOT/build/linux-cross/package-test"
rm -rf "$unpacked"
mkdir -p "$unpacked"
unzip -q "$zip" -d "$unpacked"
[ "$(ls "$unpacked")" = "$name" ] || fail "the zip's top level is not the one folder $name: $(ls "$unpacked")"
cd "$unpacked/$name"
for file in Gauges/kvo_sound.dll panelhost/panelhost.exe panelhost/cabinet_reader.exe example/aircraft/sound.ini example/aircraft/aircraft.cfg \
    example/aircraft/panel/panel.cfg example/aircraft/panel/kvo_sound.gau example/aircraft/panel/kvo_example_cab.cab example/demo.scn \
    docs/USAGE.md docs/USAGE.html README.txt LICENSE.txt CHANGELOG.md; do
  [ -s "$file" ] || fail "$file is missing or empty"
done
grep -q "^kvo_sound $version" README.txt || fail "README.txt does not name version $version"

# The file version in a program's VS_FIXEDFILEINFO (after its signature
# 0xFEEF04BD), as a.b.c.d.
file_version() {
  local at
  at="$(LC_ALL=C grep -obUaP '\xbd\x04\xef\xfe' "$1" | head -n 1 | cut -d: -f1)"
  [ -n "$at" ] || { echo none; return; }
  od -An -t u2 -j $((at + 8)) -N 8 "$1" | awk '{ print $2 "." $1 "." $4 "." $3 }'
}
for program in Gauges/kvo_sound.dll panelhost/panelhost.exe; do
  [ "$(file_version "$program")" = "$version.0" ] || fail "$program has file version $(file_version "$program")"
  strings -el "$program" | grep -A1 -x ProductName | grep -qx kvo_sound || fail "$program: no ProductName kvo_sound"
  strings -el "$program" | grep -A1 -x ProductVersion | grep -qx "$version" || fail "$program: no ProductVersion $version"
done
# The host programs keep the simulator's version: the module reads that one.
host_version="$(file_version panelhost/panelhost/10/panelhost.exe)"
[ "$host_version" = 10.0.61637.0 ] || fail "the version-10 host program has file version $host_version"

exports="$(i686-w64-mingw32-objdump -p Gauges/kvo_sound.dll |
  sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/{ /^\t\[/p }' | awk '{ print $NF }' | LC_ALL=C sort | tr '\n' ' ')"
[ "$exports" = "ImportTable Linkage " ] || fail "the module exports: $exports"
if i686-w64-mingw32-objdump -h Gauges/kvo_sound.dll panelhost/*.exe panelhost/panelhost/*/*.exe panelhost/panelhost/*/*.dll | grep -q '\.debug'; then
  fail "debug sections in the shipped binaries"
fi

said="$(wine panelhost/panelhost.exe --version </dev/null | tr -d '\r')"
[ "$said" = "panelhost (kvo_sound) $version" ] || fail "panelhost --version said: $said"
wine panelhost/panelhost.exe --check example/aircraft </dev/null >check.log 2>&1 ||
  { cat check.log; fail "panelhost --check on the example aircraft"; }
grep -q "^check: 0 errors, 0 warnings" check.log || { cat check.log; fail "the example aircraft did not check clean"; }
wine panelhost/panelhost.exe --quiet example/demo.scn </dev/null >demo.log 2>&1 ||
  { cat demo.log; fail "the demo scenario"; }

if [ "$failures" -ne 0 ]; then
  echo "$failures failed"
  exit 1
fi
echo "package $name: made twice alike, unpacked and run"
