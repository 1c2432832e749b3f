#!/usr/bin/env bash
# Starts lumadesk twice on a private session bus: the second start must bring the first forward and
# leave with status 0, the first must keep running and keep the name; once the first is gone, a new
# start runs the tray itself. Usage: single-instance.sh PATH-TO-LUMADESK
set -euo pipefail
[[ -n ${TRACE:-} ]] && set -x
program=$1
name=io.lumadesk.Lumadesk

if [[ ${2:-} != --on-private-bus ]]; then
  if ! command -v dbus-run-session >/dev/null || ! command -v dbus-send >/dev/null; then
    echo "SKIP: dbus-run-session or dbus-send is missing (Debian packages dbus-daemon, dbus-bin)"
    exit 77
  fi
  exec dbus-run-session -- "$0" "$program" --on-private-bus
fi

work=$(mktemp -d)
first=""
cleanup() {
  if [[ -n $first ]]; then
    kill "$first" 2>/dev/null || true
    wait "$first" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
export LUMADESK_CONFIG_DIR=$work QT_QPA_PLATFORM=offscreen

has_owner() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner "string:$name" | grep -q "boolean true"
}
# Process start-up takes real time; wait for it, within a bound, instead of guessing a delay.
wait_for() {
  for _ in $(seq 200); do
    if "$@"; then return 0; fi
    sleep 0.05
  done
  echo "FAIL: timed out waiting for: $*"
  exit 1
}

"$program" --simulated >"$work/first.out" 2>&1 &
first=$!
wait_for has_owner

status=0
timeout 20 "$program" --simulated >"$work/second.out" 2>&1 || status=$?
if [[ $status -ne 0 ]] || ! grep -q "already running; brought its window forward" "$work/second.out"; then
  echo "FAIL: the second start exited with $status:"; cat "$work/second.out"; exit 1
fi
if ! kill -0 "$first" 2>/dev/null || ! has_owner; then
  echo "FAIL: the first program did not keep running:"; cat "$work/first.out"; exit 1
fi

kill "$first"; wait "$first" 2>/dev/null || true; first=""
not_owned() { ! has_owner; }
wait_for not_owned
"$program" --simulated >"$work/third.out" 2>&1 &
first=$!
wait_for has_owner
echo "PASS"
