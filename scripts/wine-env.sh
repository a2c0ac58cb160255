# Sourced by the test and demo launchers: a private wine world under the
# build folder, so that nothing touches the user's own prefix, display or
# sound set-up.
#   BUILD_DIR must be set. Starts one Xvfb and one persistent wineserver and
#   stops both when the calling script exits.

KVO_RUN_DIR="$BUILD_DIR/wine-run"
mkdir -p "$KVO_RUN_DIR/home"
export HOME="$KVO_RUN_DIR/home"
export WINEPREFIX="$KVO_RUN_DIR/prefix"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset WAYLAND_DISPLAY
# Mixed sound goes to a file over a null device: DirectSound works for real
# and nothing reaches a sound card.
export KVO_SOUND_CAPTURE="$KVO_RUN_DIR/sound-out.raw"
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
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "$kvo_xvfb_pid" ]; then
    kill "$kvo_xvfb_pid" >/dev/null 2>&1 || true
    wait "$kvo_xvfb_pid" 2>/dev/null || true
  fi
}
trap kvo_stop_wine_world EXIT

# A display of our own, on a free number that Xvfb picks itself.
exec 9>"$KVO_RUN_DIR/display"
Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp >"$KVO_RUN_DIR/xvfb.log" 2>&1 </dev/null &
kvo_xvfb_pid=$!
exec 9>&-
for _ in $(seq 1 100); do
  [ -s "$KVO_RUN_DIR/display" ] && break
  sleep 0.1
done
export DISPLAY=":$(head -n1 "$KVO_RUN_DIR/display")"

# First use of the prefix: create it once (this takes a while), with ALSA
# as wine's sound driver, and windows left unmanaged so that dialogs show and
# close at once without a window manager.
kvo_reg() { wine reg add "$@" /f >>"$KVO_RUN_DIR/wineboot.log" 2>&1 </dev/null || true; }
if [ ! -f "$WINEPREFIX/.kvo-ready-2" ]; then
  wineboot -i >"$KVO_RUN_DIR/wineboot.log" 2>&1 </dev/null || true
  kvo_reg 'HKCU\Software\Wine\Drivers' /v Audio /d alsa
  kvo_reg 'HKCU\Software\Wine\X11 Driver' /v Managed /d N
  kvo_reg 'HKCU\Software\Wine\X11 Driver' /v UseTakeFocus /d N
  wineserver -w
  touch "$WINEPREFIX/.kvo-ready-2"
fi
# A program that crashes ends at once, its backtrace on stderr, instead of
# waiting for a crash dialog nobody closes until its test's time runs out.
if [ ! -f "$WINEPREFIX/.kvo-no-crash-dialog" ]; then
  kvo_reg 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
  wineserver -w
  touch "$WINEPREFIX/.kvo-no-crash-dialog"
fi
# One wineserver for the whole run keeps each test program's start short.
wineserver -p >/dev/null 2>&1 </dev/null || true
