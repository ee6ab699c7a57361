# What the end-to-end launchers share; source this file.
# The driver runs under Wine and asks for what needs the X display by
# writing WORK/request.txt; the launcher carries it out and answers in
# WORK/answer.txt.

# e2e_prepare: Wine's environment and prefix for the build under test, or
# exit 77 (skipped) without a display or where the program's architecture
# cannot run.
e2e_prepare() {
  if [ -z "${DISPLAY:-}" ]; then
    echo "no DISPLAY: skipped (tests/e2e/with-display.sh gives one)"
    exit 77
  fi
  . "$TOS_SOURCE_DIR/scripts/lib/wine.sh"
  tos_wine_env "$TOS_BUILD_DIR"
  if [ "$TOS_E2E_BITS" = 32 ] && [ "$TOS_WINE32" != 1 ]; then
    echo "32-bit programs cannot run on this machine: skipped (the windows64 build runs these)"
    exit 77
  fi
  tos_wine_prefix "$TOS_BUILD_DIR"
}

# winpath PATH: the Linux path as the program sees it, on Wine's drive Z:.
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

# e2e_serve PID WORK: answers the driver's requests until it ends, then
# returns its exit status.
#   shot FILE          a screenshot of the display into WORK/FILE (ppm)
#   key KEYS           real key presses
#   click X Y          a real left click at the screen point
#   doubleclick X Y    a real double click there
e2e_serve() {
  driver=$1
  work=$2
  while kill -0 "$driver" 2>/dev/null; do
    if [ -f "$work/request.txt" ]; then
      request=$(cat "$work/request.txt")
      rm -f "$work/request.txt"
      answer=ok
      case "$request" in
        "shot "*)
          import -window root -depth 8 "ppm:$work/${request#shot }" 2>>"$work/x.log" ||
            answer=failed ;;
        "key "*)
          # shellcheck disable=SC2086
          xdotool key ${request#key } 2>>"$work/x.log" || answer=failed ;;
        "click "*)
          # shellcheck disable=SC2086
          set -- ${request#click }
          xdotool mousemove --sync "$1" "$2" click 1 2>>"$work/x.log" || answer=failed ;;
        "doubleclick "*)
          # shellcheck disable=SC2086
          set -- ${request#doubleclick }
          xdotool mousemove --sync "$1" "$2" click --repeat 2 --delay 60 1 2>>"$work/x.log" ||
            answer=failed ;;
        *) answer=unknown ;;
      esac
      echo "$answer" >"$work/answer.tmp"
      mv "$work/answer.tmp" "$work/answer.txt"
    fi
    sleep 0.1
  done
  wait "$driver"
}
