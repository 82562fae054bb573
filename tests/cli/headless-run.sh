#!/usr/bin/env bash
# What scripts/run shows on a machine without a display: the command-line demonstration runs the
# programs the suite was built with and ends with the inspect output of the backup it made, with
# exit status 0.
# Usage: headless-run.sh SOURCE_DIR VTL_SIM VTL_CLI VTL
set -uo pipefail
root=$1
err=$(mktemp)
trap 'rm -f "$err"' EXIT
out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/scripts/cli-demo" "$2" "$3" "$4" 2>"$err")
status=$?
fail() {
    echo "FAILED: $*"
    echo "--- stdout"; echo "$out"; echo "--- stderr"; cat "$err"
    exit 1
}
[ "$status" -eq 0 ] || fail "exit status $status"
inspect=$(sed -n '/^\$ vtl-cli inspect PANEL5.PNL$/,$p' <<<"$out")
[ -n "$inspect" ] || fail "no inspect step"
grep -q '^signature: QTZ PANEL FILE VERSION 01.00$' <<<"$inspect" || fail "no panel file header"
grep -q '^family-code: 1005$' <<<"$inspect" || fail "not the main panel at address 5"
# The main panel's last catalogue entry is its Ethernet record.
tail -n 1 <<<"$out" | grep -q 'Ethernet' || fail "the output does not end with the records"
grep -q 'controller: main panel' <<<"$out" || fail "no identify step"
grep -q 'Finished Creating Panel File' <<<"$out" || fail "no backup step"
grep -qF "xvfb-run -a -s \"-screen 0 1024x768x24\" $4 --simulate" "$err" ||
    fail "no word on how to see the window"
echo "ok"
