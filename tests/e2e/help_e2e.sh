#!/bin/sh
# The program's help end to end under Wine: the program runs from its own
# folder with SICE.chm beside it, started in a folder of drive C:, where
# C:\TORVEL\SICE.chm holds a copy as an installation in \TORVEL has it. The
# driver presses F1 and "F1 AYUDA" and sees the help windows; this script
# then reads the HTML Help engine's trace for the calls behind them.
# Skips (77) without a display or where the program's architecture cannot run.
set -u
. "$TOS_SOURCE_DIR/tests/e2e/lib.sh"
e2e_prepare

work="$TOS_E2E_WORK/help"
rm -rf "$work"
mkdir -p "$work/programa"
cp "$TOS_E2E_PROGRAM" "$TOS_HELP_CHM" "$work/programa/"
start="$WINEPREFIX/drive_c/tos_help_e2e"
torvel="$WINEPREFIX/drive_c/TORVEL"
mkdir -p "$start" "$torvel"
placed=
if [ ! -e "$torvel/SICE.chm" ]; then
  cp "$TOS_HELP_CHM" "$torvel/SICE.chm"
  placed=1
fi
program="$(winpath "$work/programa")\\TransOrvalentSICE.exe"

# The engine's own trace of every call, from the program (which inherits it).
WINEDEBUG=-all,trace+htmlhelp "$TOS_WINE" "$TOS_HELP_E2E_DRIVER" "$program" "$(winpath "$work")" \
  'C:\tos_help_e2e' </dev/null >"$work/driver.log" 2>&1 &
e2e_serve $! "$work"
rc=$?
[ -n "$placed" ] && rm -f "$torvel/SICE.chm" && rmdir "$torvel" 2>/dev/null
rmdir "$start" 2>/dev/null

grep -v ':htmlhelp:' "$work/driver.log"
# The engine calls, as the engine received them: owner, file, command, data
# (a null owner as 0, whatever width the program's pointers have).
grep ':htmlhelp:HtmlHelpW ' "$work/driver.log" |
  sed -E 's/.*HtmlHelpW \(([^,]*), L?"?([^",]*)"?, command=([A-Z_]+), data=([0-9a-fx]+)\).*/\1 \2 \3 \4/' |
  sed -E 's/\\\\/\\/g; s/^0+ /0 /' >"$work/calls.txt"
folder=$(winpath "$work/programa")
{
  printf '0 %s\\SICE.chm HH_HELP_CONTEXT 3\n' "$folder"
  printf '0 \\TORVEL\\SICE.chm HH_DISPLAY_TOC 0\n'
  printf '0 \\TORVEL\\SICE.chm HH_HELP_CONTEXT 3\n'
} >"$work/expected.txt"
echo "engine calls:"
cat "$work/calls.txt"
if ! diff -u "$work/expected.txt" "$work/calls.txt"; then
  echo "FAIL the engine calls are not the expected ones"
  rc=1
fi
# Both F1 presses find context 3 of the help file, which leads to its main
# page, and the root path names the copy on the current folder's drive.
if [ "$(grep -c ':htmlhelp:FindContextAlias returning "/index.htm"' "$work/driver.log")" = 2 ]; then
  echo "ok   context 3 opens /index.htm, both times"
else
  echo "FAIL context 3 does not open /index.htm each time"
  grep -E ':htmlhelp:(FindContextAlias|Navigate)' "$work/driver.log"
  rc=1
fi
if grep -q ':htmlhelp:NavigateToChm .*L"C:\\\\TORVEL\\\\SICE.chm"' "$work/driver.log"; then
  echo "ok   the help button's file is the copy in TORVEL on drive C:, the current folder's"
else
  echo "FAIL the help button's file was not the copy in TORVEL on drive C:"
  rc=1
fi
exit $rc
