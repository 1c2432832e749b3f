#!/usr/bin/env bash
# The tray program on the simulated desk and a private session bus: a level and a name set through it
# (reported done) survive a SIGKILL of the tray, because it saves the desk after every change.
# Usage: kill-keeps-changes.sh PATH-TO-LUMADESK PATH-TO-LUMADESK-CTL
set -euo pipefail
[[ -n ${TRACE:-} ]] && set -x
app=$1 ctl=$2
source "$(dirname "$0")/../../support/tray-on-bus.sh"

if [[ ${3:-} != --on-private-bus ]]; then
  if ! command -v dbus-run-session >/dev/null || ! command -v dbus-send >/dev/null; then
    echo "SKIP: dbus-run-session or dbus-send is missing (Debian packages dbus-daemon, dbus-bin)"
    exit 77
  fi
  exec dbus-run-session -- "$0" "$app" "$ctl" --on-private-bus
fi

work=$(mktemp -d)
tray=""
cleanup() {
  if [[ -n $tray ]]; then
    kill -KILL "$tray" 2>/dev/null || true
    wait "$tray" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
export LUMADESK_CONFIG_DIR=$work QT_QPA_PLATFORM=offscreen

"$app" --simulated >"$work/tray.log" 2>&1 &
tray=$!
wait_for_tray "$work/tray.log"

"$ctl" --simulated set-brightness 4268-41234-0 17
"$ctl" --simulated rename 4268-41234-1 Kept
kill -KILL "$tray"
wait "$tray" 2>/dev/null || true
tray=""

listed=$("$ctl" --simulated list)
grep -Eq '^4268-41234-0 +Northwind 27Q \(1\) +17 ' <<<"$listed" || { echo "FAILED: the level was lost:"; echo "$listed"; exit 1; }
grep -Eq '^4268-41234-1 +Kept ' <<<"$listed" || { echo "FAILED: the name was lost:"; echo "$listed"; exit 1; }
echo "ok: a level and a name set through the tray survive its SIGKILL"
