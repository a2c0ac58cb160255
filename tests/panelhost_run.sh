#!/usr/bin/env bash
# Two panelhost runs started at once, each in the wine world its launcher
# makes: a scenario that takes a few seconds and a check that ends first.
# Both must finish as if alone, each with its own closing line and status.
#   bash tests/panelhost_run.sh BUILD_DIR
set -uo pipefail
BUILD_DIR="$1"
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
work="$(mktemp -d)"
# Beside the scenarios' own configuration, which it uses.
long="$BUILD_DIR/scenarios/side_by_side.$$.scn"
trap 'rm -rf "$work" "$long"' EXIT
cat >"$long" <<SCN
gauge %SCENARIO_DIR%\scenario.ini
frames 11
set kvo_xml_id_01 2
frames 1
wait 4000
frames 1
expect kvo_xml_id_01 2
SCN
run() {  # NAME ARGUMENTS...: one launcher's run, its output and status kept
  local name="$1"
  shift
  (
    export BUILD_DIR
    source "$ROOT/scripts/wine-env.sh"
    wine "$BUILD_DIR/bin/wine_warmup.exe" </dev/null >/dev/null 2>&1 || true
    wine "$BUILD_DIR/bin/panelhost.exe" "$@" </dev/null >"$work/$name.out" 2>"$work/$name.err"
    echo $? >"$work/$name.status"
  )
}
run scenario --fast "$long" &
first=$!
sleep 1
run check --check "$BUILD_DIR/examples/aircraft" &
second=$!
wait "$first" "$second"
failed=0
expect_run() {  # NAME STATUS CLOSING-TEXT
  local status last
  status=$(cat "$work/$1.status" 2>/dev/null || echo none)
  last=$(tr -d '\r' <"$work/$1.out" | tail -n1)
  echo "$1: exit $status, last line: $last"
  if [ "$status" != "$2" ] || [[ "$last" != *"$3"* ]]; then
    echo "FAILED: $1 should exit $2 with '$3' last" >&2
    tr -d '\r' <"$work/$1.err" >&2
    failed=1
  fi
}
expect_run scenario 0 "done      1 expectations, 0 failed"
expect_run check 0 "check: 0 errors"
[ "$failed" = 0 ] && echo "1 passed, 0 failed" || echo "0 passed, 1 failed"
exit "$failed"
