# Wine and display helpers for the scripts; source this file.
# Every Wine prefix lives inside a build folder and is made once.

# tos_wine_env BUILD_DIR: the environment every Wine call of that build uses.
# TOS_WINE is the loader to run programs with, and TOS_WINE32 is 1 when
# 32-bit programs can run here: some sandboxed kernels cannot execute 32-bit
# Linux binaries, and Wine's 32-bit loader is one.
tos_wine_env() {
  export WINEPREFIX="$(cd "$1" && pwd)/wineprefix"
  export WINEDEBUG=-all
  export WINEARCH=win64
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    TOS_WINE=wine
    TOS_WINE32=1
  else
    TOS_WINE=/usr/lib/wine/wine64
    TOS_WINE32=0
    export WINELOADER=/usr/lib/wine/wine64
  fi
  export TOS_WINE TOS_WINE32
}

# tos_wine32_cause: why Wine's 32-bit loader does not run here, in one
# sentence, from what can be seen: the kernel, the package, the loader's own
# words. scripts/setup leaves the reason a failed install of the 32-bit
# packages gave in build/setup-i386.note.
tos_wine32_cause() {
  if ! scripts/lib/can-run-32bit; then
    echo "this machine's kernel refuses 32-bit Linux programs (a 93-byte probe did not run), Wine's 32-bit loader among them."
  elif ! dpkg-query -W -f='${db:Status-Status}' wine32:i386 2>/dev/null | grep -qx installed; then
    if [ -s build/setup-i386.note ]; then
      echo "Wine's 32-bit part (wine32:i386) is not installed: scripts/setup could not install it ($(tr '\n' ' ' <build/setup-i386.note | sed 's/ *$//'))."
    else
      echo "Wine's 32-bit part (wine32:i386) is not installed; scripts/setup installs it."
    fi
  else
    local said
    said=$(/usr/lib/wine/wine --version 2>&1 | head -n 2 | tr '\n' ' ' | sed 's/ *$//')
    echo "Wine's 32-bit loader is installed but does not start (${said:-no output})."
  fi
}

# tos_wine_prefix BUILD_DIR: makes the prefix (fonts copied in and the common
# Windows fonts mapped to the Liberation ones, C:\OTEMP made) unless it is
# there already.
tos_wine_prefix() {
  tos_wine_env "$1"
  if [ -f "$WINEPREFIX/.tos-ready" ]; then
    return 0
  fi
  rm -rf "$WINEPREFIX"
  # No Mono or Gecko install prompts while the prefix is made.
  WINEDLLOVERRIDES="mscoree,mshtml=" "$TOS_WINE" wineboot -i </dev/null >"$1/wineboot.log" 2>&1
  wineserver -w
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  mkdir -p "$fonts"
  if [ -d /usr/share/wine/fonts ]; then
    cp -f /usr/share/wine/fonts/* "$fonts/" 2>/dev/null || true
  fi
  local key='HKCU\Software\Wine\Fonts\Replacements'
  local pair
  for pair in "Arial:Liberation Sans" "Times New Roman:Liberation Serif" \
              "Courier New:Liberation Mono"; do
    "$TOS_WINE" reg add "$key" /v "${pair%%:*}" /t REG_SZ /d "${pair#*:}" /f \
      </dev/null >>"$1/wineboot.log" 2>&1
  done
  wineserver -w
  mkdir -p "$WINEPREFIX/drive_c/OTEMP"
  touch "$WINEPREFIX/.tos-ready"
}

# tos_wine_server_start: a persistent, primed wineserver (without it every
# test pays two or three seconds, and an unprimed one hangs the first test).
tos_wine_server_start() {
  wineserver -p
  "$TOS_WINE" wineboot </dev/null >/dev/null 2>&1
}

tos_wine_server_stop() {
  wineserver -k 2>/dev/null || true
}

# tos_display_start: an Xvfb display with openbox on it (real keys and quick
# closes need a window manager); sets DISPLAY. Uses the first free number
# from 90 on.
tos_display_start() {
  local n=90
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  TOS_XVFB_PID=$!
  export DISPLAY=":$n"
  local i
  for i in $(seq 1 50); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
  done
  openbox >/dev/null 2>&1 &
  TOS_OPENBOX_PID=$!
  for i in $(seq 1 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break
    sleep 0.1
  done
}

tos_display_stop() {
  [ -n "${TOS_OPENBOX_PID:-}" ] && kill "$TOS_OPENBOX_PID" 2>/dev/null
  [ -n "${TOS_XVFB_PID:-}" ] && kill "$TOS_XVFB_PID" 2>/dev/null
  TOS_OPENBOX_PID=
  TOS_XVFB_PID=
  return 0
}
