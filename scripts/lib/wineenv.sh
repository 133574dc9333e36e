# Sourced by scripts/test, scripts/run and scripts/bench: a private Wine prefix, a display,
# a persistent wineserver and a PulseAudio null sink, all stopped again by vr_env_stop.
# Needs BUILD_DIR. Starts only what is missing and stops exactly what it started, by pid.

VR_PIDS=()

# The prefix (about 600 MB) lives outside the build folder, one per build folder and use ($1, e.g.
# "run"): two build folders never share a prefix, so never a wineserver, whose stop would end the
# other's run. The folder's name says whose it is; .vr_build_dir inside names the build folder.
vr_prefix_dir() {
  local build key
  build="$(cd "$BUILD_DIR" 2>/dev/null && pwd -P || echo "$BUILD_DIR")"
  key="$(printf '%s' "$build" | sha1sum | cut -c1-10)"
  echo "${XDG_CACHE_HOME:-${HOME:-/tmp}/.cache}/vesk-reminder/$(basename "$(dirname "$build")")-$key${1:+-$1}"
}

vr_env_prefix() {
  export WINEPREFIX="${WINEPREFIX_OVERRIDE:-$(vr_prefix_dir)}"
  # Earlier versions kept their prefixes inside the build folder.
  local old
  for old in "$BUILD_DIR/wineprefix" "$BUILD_DIR/wineprefix-run"; do
    if [ "$old" != "$WINEPREFIX" ] && [ -f "$old/.vr_ready_3" ]; then rm -rf "$old"; fi
  done
  export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  export LANG=C.UTF-8 LC_ALL=C.UTF-8
  unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY ftp_proxy FTP_PROXY all_proxy ALL_PROXY no_proxy NO_PROXY
  # The marker names the prefix recipe; a prefix made by an older recipe is made again.
  if [ ! -f "$WINEPREFIX/.vr_ready_3" ]; then
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    env -u DISPLAY wineboot -i >/dev/null 2>&1
    env -u DISPLAY wine winecfg -v win10 >/dev/null 2>&1
    # There is no window manager on Xvfb: with managed windows Wine waits about two seconds for
    # one at every hide of an active window. Unmanaged windows behave as on a desktop.
    env -u DISPLAY wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    # A crashing test prints its backtrace and ends instead of waiting for someone to close
    # Wine's crash dialog (the test would otherwise hang until its time-out).
    env -u DISPLAY wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wineserver -w
    ln -sf /usr/share/wine/fonts/*.ttf /usr/share/wine/fonts/*.fon "$WINEPREFIX/drive_c/windows/Fonts/"
    printf '%s\n' "$BUILD_DIR" > "$WINEPREFIX/.vr_build_dir"
    touch "$WINEPREFIX/.vr_ready_3"
  fi
}

# A private Xvfb when there is no display (or VR_PRIVATE_DISPLAY=1).
vr_env_display() {
  if [ -n "${DISPLAY:-}" ] && [ "${VR_PRIVATE_DISPLAY:-0}" != 1 ]; then return; fi
  local fd_file; fd_file="$(mktemp)"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$fd_file" >/dev/null 2>&1 &
  VR_PIDS+=($!)
  local i
  for i in $(seq 1 100); do
    [ -s "$fd_file" ] && break
    sleep 0.05
  done
  export DISPLAY=":$(head -n1 "$fd_file")"
  rm -f "$fd_file"
}

# A persistent wineserver, with the prefix's services started on /dev/null so that they do not
# hold CTest's output pipes open.
vr_env_wineserver() {
  wineserver -p >/dev/null 2>&1 &
  VR_WINESERVER_STARTED=1
  wine wineboot >/dev/null 2>&1 </dev/null || true
}

# A PulseAudio server with a null sink, kept awake, for tests that play sound for real.
vr_env_sound() {
  command -v pulseaudio >/dev/null || return 0
  VR_PA_DIR="$(mktemp -d)"
  pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --log-target="file:$VR_PA_DIR/pa.log" \
    -L "module-native-protocol-unix auth-anonymous=1 socket=$VR_PA_DIR/pa.sock" \
    -L "module-null-sink sink_name=test_sink rate=44100" -L module-always-sink >/dev/null 2>&1 &
  VR_PIDS+=($!)
  export PULSE_SERVER="unix:$VR_PA_DIR/pa.sock" VR_PA_DIR
  local i
  for i in $(seq 1 100); do
    [ -S "$VR_PA_DIR/pa.sock" ] && break
    sleep 0.05
  done
  pacat --playback --raw --format=s16le --rate=44100 --channels=2 --latency-msec=10 -d test_sink /dev/zero \
    >/dev/null 2>&1 &
  VR_PIDS+=($!)
}

vr_env_stop() {
  if [ "${VR_WINESERVER_STARTED:-0}" = 1 ]; then
    wineserver -k >/dev/null 2>&1 || true
    VR_WINESERVER_STARTED=0
  fi
  local p
  for p in "${VR_PIDS[@]}"; do
    kill "$p" 2>/dev/null || true
  done
  for p in "${VR_PIDS[@]}"; do
    wait "$p" 2>/dev/null || true
  done
  VR_PIDS=()
  [ -n "${VR_PA_DIR:-}" ] && rm -rf "$VR_PA_DIR"
  return 0
}
