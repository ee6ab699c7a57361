#!/bin/sh
# Runs the window's end-to-end tests by hand: an Xvfb display with openbox,
# a primed wineserver, then ctest over the e2e tests of a Windows build.
#   tests/e2e/with-display.sh [BUILD_DIR [CTEST_ARGS...]]   (default build/windows64)
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build/windows64}
[ $# -gt 0 ] && shift
. "$root/scripts/lib/wine.sh"
tos_wine_prefix "$build"
tos_display_start
tos_wine_server_start
ctest --test-dir "$build" -R '^e2e\.' --output-on-failure "$@"
rc=$?
tos_wine_server_stop
tos_display_stop
exit $rc
