# Sourced by the test, demo, panelhost and benchmark launchers: a wine world
# of this run's own under the build folder, so that nothing touches the
# user's own prefix, display or sound set-up, and two runs at once never end
# each other's programs.
#   BUILD_DIR must be set. Each run gets its own prefix (a hard-linked copy of
#   a template made once), HOME, Xvfb and persistent wineserver, and stops and
#   removes them when the calling script exits. KVO_WORLD_DIR is the run's
#   folder, for files of its own (stderr, captures).

KVO_RUN_DIR="$BUILD_DIR/wine-run"
KVO_TEMPLATE="$KVO_RUN_DIR/prefix"
mkdir -p "$KVO_RUN_DIR"
# Worlds of runs that were killed before they could remove their own.
for kvo_old in "$KVO_RUN_DIR"/world.*; do
  [ -d "$kvo_old" ] || continue
  kvo_owner=$(cat "$kvo_old/owner" 2>/dev/null || echo 0)
  if [ "$kvo_owner" -gt 0 ] 2>/dev/null && kill -0 "$kvo_owner" 2>/dev/null; then continue; fi
  WINEPREFIX="$kvo_old/prefix" wineserver -k >/dev/null 2>&1 || true
  rm -rf "$kvo_old"
done
KVO_WORLD_DIR="$(mktemp -d "$KVO_RUN_DIR/world.XXXXXX")"
echo $$ >"$KVO_WORLD_DIR/owner"
mkdir -p "$KVO_WORLD_DIR/home"
export HOME="$KVO_WORLD_DIR/home"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset WAYLAND_DISPLAY
# Mixed sound goes to a file over a null device: DirectSound works for real
# and nothing reaches a sound card.
export KVO_SOUND_CAPTURE="$KVO_WORLD_DIR/sound-out.raw"
cat > "$HOME/.asoundrc" <<ASOUND
pcm.!default {
  type file
  slave.pcm "null"
  file "$KVO_SOUND_CAPTURE"
  format "raw"
}
ctl.!default { type hw card 0 }
ASOUND
export ALSA_CONFIG_PATH=/usr/share/alsa/alsa.conf

kvo_xvfb_pid=""
kvo_stop_wine_world() {
  # Only this run's wineserver: the prefix is this run's own.
  WINEPREFIX="$KVO_WORLD_DIR/prefix" wineserver -k >/dev/null 2>&1 || true
  WINEPREFIX="$KVO_WORLD_DIR/prefix" wineserver -w >/dev/null 2>&1 || true
  if [ -n "$kvo_xvfb_pid" ]; then
    kill "$kvo_xvfb_pid" >/dev/null 2>&1 || true
    wait "$kvo_xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$KVO_WORLD_DIR"
}
trap kvo_stop_wine_world EXIT

# A display of our own, on a free number that Xvfb picks itself.
exec 9>"$KVO_WORLD_DIR/display"
Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp >"$KVO_WORLD_DIR/xvfb.log" 2>&1 </dev/null &
kvo_xvfb_pid=$!
exec 9>&-
for _ in $(seq 1 100); do
  [ -s "$KVO_WORLD_DIR/display" ] && break
  sleep 0.1
done
export DISPLAY=":$(head -n1 "$KVO_WORLD_DIR/display")"

# The template prefix, created once (this takes a while) by whichever run
# comes first while the others wait: ALSA as wine's sound driver, and windows
# left unmanaged so that dialogs show and close at once without a window
# manager.
kvo_reg() { wine reg add "$@" /f >>"$KVO_RUN_DIR/wineboot.log" 2>&1 </dev/null || true; }
(
  flock 8
  if [ ! -f "$KVO_TEMPLATE/.kvo-ready-2" ]; then
    export WINEPREFIX="$KVO_TEMPLATE"
    wineboot -i >"$KVO_RUN_DIR/wineboot.log" 2>&1 </dev/null || true
    kvo_reg 'HKCU\Software\Wine\Drivers' /v Audio /d alsa
    kvo_reg 'HKCU\Software\Wine\X11 Driver' /v Managed /d N
    kvo_reg 'HKCU\Software\Wine\X11 Driver' /v UseTakeFocus /d N
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w
    touch "$KVO_TEMPLATE/.kvo-ready-2"
  fi
  # A program that crashes ends at once, its backtrace on stderr, instead of
  # waiting for a crash dialog nobody closes until its test's time runs out.
  if [ ! -f "$KVO_TEMPLATE/.kvo-no-crash-dialog" ]; then
    export WINEPREFIX="$KVO_TEMPLATE"
    kvo_reg 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w
    touch "$KVO_TEMPLATE/.kvo-no-crash-dialog"
  fi
) 8>"$KVO_RUN_DIR/template.lock"
# This run's prefix: the system files hard-linked (wine only reads them), the
# registry and the files wine rewrites in place copied.
cp -al "$KVO_TEMPLATE" "$KVO_WORLD_DIR/prefix"
for kvo_file in "$KVO_TEMPLATE"/*.reg "$KVO_TEMPLATE"/.update-timestamp "$KVO_TEMPLATE"/drive_c/windows/*.ini; do
  [ -f "$kvo_file" ] && cp --remove-destination "$kvo_file" "$KVO_WORLD_DIR/prefix${kvo_file#"$KVO_TEMPLATE"}"
done
export WINEPREFIX="$KVO_WORLD_DIR/prefix"
# One wineserver for the whole run keeps each program's start short.
wineserver -p >/dev/null 2>&1 </dev/null || true
