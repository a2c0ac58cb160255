#!/usr/bin/env bash
# The sound map page read back by tests/sound_map_test.py, in a wine world of
# its own.
#   bash tests/sound_map_test.sh BUILD_DIR
set -uo pipefail
BUILD_DIR="$(cd "$1" && pwd)"
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
export BUILD_DIR
source "$ROOT/scripts/wine-env.sh"
wine "$BUILD_DIR/bin/wine_warmup.exe" </dev/null >/dev/null 2>&1 || true
python3 "$ROOT/tests/sound_map_test.py" "$BUILD_DIR" "$ROOT" "${@:2}"
