#!/usr/bin/env bash
# The tray program and CLIENTS command lines on one simulated desk at once, ROUNDS times; run on a
# private session bus by scripts/soak. The command lines read and set brightness through the running
# program (over the bus) and list, refresh, disconnect and connect in their own processes. After each
# round every display is still listed and the program still answers within a second.
#   dbus-run-session -- soak/app-and-clients.sh LUMADESK LUMADESK-CTL CLIENTS ROUNDS
set -euo pipefail
app=$1 ctl=$2 clients=$3 rounds=$4
work=$(mktemp -d)
app_pid=""
cleanup() {
  if [[ -n $app_pid ]]; then kill "$app_pid" 2>/dev/null || true; wait "$app_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
export LUMADESK_CONFIG_DIR=$work/config QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

"$app" --simulated >"$work/app.log" 2>&1 &
app_pid=$!
# Asked on the bus directly, so that only the tray program itself can answer.
answers() {
  dbus-send --session --print-reply --reply-timeout=1000 --dest=io.lumadesk.Lumadesk /io/lumadesk/Lumadesk \
    io.lumadesk.Lumadesk1.Displays >/dev/null 2>&1
}
for _ in $(seq 200); do answers && break; sleep 0.05; done
answers || { echo "FAILED: the tray program does not answer:"; cat "$work/app.log"; exit 1; }

ids=($("$ctl" --simulated list | awk 'NR > 1 { print $1 }'))
failures=0 slowest=0 started=$SECONDS
for ((round = 1; round <= rounds; round++)); do
  pids=()
  for ((client = 0; client < clients; client++)); do
    id=${ids[$((RANDOM % ${#ids[@]}))]}
    err=$work/err.$client
    case $((RANDOM % 6)) in
      0) "$ctl" --simulated list --json >/dev/null 2>"$err" ;;
      1) "$ctl" --simulated refresh >/dev/null 2>"$err" ;;
      2) "$ctl" --simulated disconnect "$id" >/dev/null 2>"$err" || grep -q . "$err" ;;
      3) "$ctl" --simulated connect "$id" >/dev/null 2>"$err" || grep -q . "$err" ;;
      4) "$ctl" set-brightness "$id" $((RANDOM % 101)) >/dev/null 2>"$err" || grep -q . "$err" ;;
      5) "$ctl" get-brightness "$id" >/dev/null 2>"$err" || grep -q . "$err" ;;
    esac &
    pids+=($!)
  done
  for pid in "${pids[@]}"; do wait "$pid" || ((++failures)); done
  kill -0 "$app_pid" 2>/dev/null || { echo "FAILED: the tray program died in round $round:"; cat "$work/app.log"; exit 1; }
  before=$(date +%s%N)
  answers || { echo "FAILED: the tray program stopped answering after round $round"; exit 1; }
  took=$((($(date +%s%N) - before) / 1000000))
  ((took > slowest)) && slowest=$took
  listed=$("$ctl" --simulated list --json)
  for id in "${ids[@]}"; do
    grep -q "\"$id\"" <<<"$listed" || { echo "FAILED: $id lost after round $round" >&2; exit 1; }
  done
done
((failures == 0)) || { echo "FAILED: $failures runs failed without a message" >&2; exit 1; }
echo "ok: $((clients * rounds)) command lines beside the tray program, no record lost," \
     "slowest answer after a round $slowest ms, $((SECONDS - started)) s"
