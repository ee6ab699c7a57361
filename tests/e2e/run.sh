#!/bin/sh
# Runs one end-to-end scenario of the window under Wine: the driver does the
# checking; this script copies the program into the scenario's own folder
# (its Orvalent.ini lives beside it) and carries out the driver's requests
# that need the X display (screenshots, real clicks and keys).
# Skips (77) without a display or where the program's architecture cannot run.
set -u
scenario=$1
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

work="$TOS_E2E_WORK/$scenario"
rm -rf "$work"
mkdir -p "$work"
cp "$TOS_E2E_PROGRAM" "$work/"
# The help file beside the program, as installed, once it is built.
help_file="$(dirname "$TOS_E2E_PROGRAM")/SICE.chm"
[ -f "$help_file" ] && cp "$help_file" "$work/"
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

"$TOS_WINE" "$TOS_E2E_DRIVER" "$scenario" "$(winpath "$work/TransOrvalentSICE.exe")" \
  "$(winpath "$work")" "$(winpath "$TOS_SOURCE_DIR/samples/sice")" "$(winpath "$TOS_E2E_CLI")" \
  </dev/null >"$work/driver.log" 2>&1 &
driver=$!

while kill -0 "$driver" 2>/dev/null; do
  if [ -f "$work/request.txt" ]; then
    request=$(cat "$work/request.txt")
    rm -f "$work/request.txt"
    answer=ok
    case "$request" in
      "shot "*)
        import -window root -depth 8 "ppm:$work/${request#shot }" 2>>"$work/x.log" || answer=failed ;;
      "key "*)
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
rc=$?
cat "$work/driver.log"
exit $rc
