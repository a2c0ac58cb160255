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
module32="Gauges/for 32-bit simulators (9, 10, 1)/kvo_sound.dll"
module64="Gauges/for 64-bit simulators (4, 5, 6)/kvo_sound.dll"
[ "$(find Gauges -type f | LC_ALL=C sort | tr '\n' '|')" = "$module32|$module64|" ] ||
  fail "Gauges/ holds: $(find Gauges -type f | tr '\n' ' ')"
for file in "$module32" "$module64" panelhost/panelhost.exe panelhost/cabinet_reader.exe example/aircraft/sound.ini example/aircraft/aircraft.cfg \
    example/aircraft/panel/panel.cfg example/aircraft/panel/kvo_sound.gau example/aircraft/panel/kvo_example_cab.cab example/demo.scn \
    docs/USAGE.md docs/USAGE.html docs/PANELHOST.md docs/PANELHOST.html README.txt LICENSE.txt CHANGELOG.md; do
  [ -s "$file" ] || fail "$file is missing or empty"
done
grep -q "^kvo_sound $version" README.txt || fail "README.txt does not name version $version"
# Every document README.txt names is there, and every link between the
# documents leads somewhere from the unpacked folder.
for named in $(tr -d '\r' <README.txt | grep -o 'docs\\[A-Za-z_.]*' | sort -u); do
  [ -s "${named//\\//}" ] || fail "README.txt names $named, which the zip does not hold"
done
bash "$ROOT/tests/doc_links.sh" . || fail "links in the release's documents lead nowhere"

# The file version in a program's VS_FIXEDFILEINFO (after its signature
# 0xFEEF04BD), as a.b.c.d.
file_version() {
  local at
  at="$(LC_ALL=C grep -obUaP '\xbd\x04\xef\xfe' "$1" | head -n 1 | cut -d: -f1)"
  [ -n "$at" ] || { echo none; return; }
  od -An -t u2 -j $((at + 8)) -N 8 "$1" | awk '{ print $2 "." $1 "." $4 "." $3 }'
}
for program in "$module32" "$module64" panelhost/panelhost.exe; do
  [ "$(file_version "$program")" = "$version.0" ] || fail "$program has file version $(file_version "$program")"
  strings -el "$program" | grep -A1 -x ProductName | grep -qx kvo_sound || fail "$program: no ProductName kvo_sound"
  strings -el "$program" | grep -A1 -x ProductVersion | grep -qx "$version" || fail "$program: no ProductVersion $version"
done
# The host programs keep the simulator's version: the module reads that one.
for host in 10:10.0.61637.0 x64-6:6.1.11.0 x64-none:none; do
  host_version="$(file_version "panelhost/panelhost/${host%%:*}/panelhost.exe")"
  [ "$host_version" = "${host#*:}" ] || fail "the ${host%%:*} host program has file version $host_version"
done

# Each module's machine type, its exports (exactly the two records) and
# whether it names the client library's assembly; every shipped program's
# machine type matches the module beside it.
machine() { objdump -f "$1" | sed -n 's/.*file format //p'; }
check_module() {
  local module="$1" format="$2" objdump="$3" manifest="$4"
  [ "$(machine "$module")" = "$format" ] || fail "$module is $(machine "$module"), not $format"
  local exports
  exports="$($objdump -p "$module" |
    sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/{ /^\t\[/p }' | awk '{ print $NF }' | LC_ALL=C sort | tr '\n' ' ')"
  [ "$exports" = "ImportTable Linkage " ] || fail "$module exports: $exports"
  if [ "$manifest" = yes ]; then
    grep -qa Microsoft.FlightSimulator.SimConnect "$module" || fail "$module has no SimConnect manifest"
  elif grep -qa Microsoft.FlightSimulator.SimConnect "$module"; then
    fail "$module names the 32-bit SimConnect assembly"
  fi
}
check_module "$module32" pei-i386 i686-w64-mingw32-objdump yes
check_module "$module64" pei-x86-64 x86_64-w64-mingw32-objdump no
for file in panelhost/*.exe panelhost/panelhost/*/*.exe panelhost/panelhost/*/*.dll; do
  case "$file" in
    panelhost/panelhost/x64-*) expected=pei-x86-64 ;;
    *) expected=pei-i386 ;;
  esac
  [ "$(machine "$file")" = "$expected" ] || fail "$file is $(machine "$file"), not $expected"
done
cmp -s "$module64" panelhost/panelhost/x64-6/kvo_sound.dll || fail "the 64-bit hosts run another module than the shipped one"
if objdump -h "$module32" "$module64" panelhost/*.exe panelhost/panelhost/*/*.exe panelhost/panelhost/*/*.dll |
    grep -q '\.debug'; then
  fail "debug sections in the shipped binaries"
fi

said="$(wine panelhost/panelhost.exe --version </dev/null | tr -d '\r')"
[ "$said" = "panelhost (kvo_sound) $version" ] || fail "panelhost --version said: $said"
wine panelhost/panelhost.exe --check example/aircraft </dev/null >check.log 2>&1 ||
  { cat check.log; fail "panelhost --check on the example aircraft"; }
grep -q "^check: 0 errors, 0 warnings" check.log || { cat check.log; fail "the example aircraft did not check clean"; }
# Each shipped module runs the demo once, in a host program of its own
# architecture (the only kind that can load it).
for module in "$module32" "$module64"; do
  wine panelhost/panelhost.exe --quiet --module "$module" example/demo.scn </dev/null >demo.log 2>&1 ||
    { cat demo.log; fail "the demo scenario with $module"; }
done
wine panelhost/panelhost.exe --check example/aircraft --module "$module64" </dev/null >check64.log 2>&1 ||
  { cat check64.log; fail "panelhost --check on the example aircraft with the 64-bit module"; }

if [ "$failures" -ne 0 ]; then
  echo "$failures failed"
  exit 1
fi
echo "package $name: made twice alike, unpacked and run"
