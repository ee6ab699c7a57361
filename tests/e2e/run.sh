#!/bin/sh
# Runs one end-to-end scenario of the window under Wine: the driver does the
# checking; this script copies the program into the scenario's own folder
# (its Orvalent.ini lives beside it) and carries out the driver's requests
# that need the X display (screenshots, real clicks and keys).
# Skips (77) without a display or where the program's architecture cannot run.
set -u
scenario=$1
. "$TOS_SOURCE_DIR/tests/e2e/lib.sh"
e2e_prepare

work="$TOS_E2E_WORK/$scenario"
rm -rf "$work"
mkdir -p "$work"
cp "$TOS_E2E_PROGRAM" "$work/"
# The help file beside the program, as installed, once it is built.
help_file="$(dirname "$TOS_E2E_PROGRAM")/SICE.chm"
[ -f "$help_file" ] && cp "$help_file" "$work/"

"$TOS_WINE" "$TOS_E2E_DRIVER" "$scenario" "$(winpath "$work/TransOrvalentSICE.exe")" \
  "$(winpath "$work")" "$(winpath "$TOS_SOURCE_DIR/samples/sice")" "$(winpath "$TOS_E2E_CLI")" \
  </dev/null >"$work/driver.log" 2>&1 &
e2e_serve $! "$work"
rc=$?
cat "$work/driver.log"
exit $rc
