#!/usr/bin/env bash
# The tray program and CLIENTS command lines on one simulated desk at once, ROUNDS times; run on a
# private session bus by scripts/soak. The command lines read and set brightness through the running
# program (over the bus) and list, refresh, disconnect and connect in their own processes. After each
# round every display is still listed and the program still answers within a second.
# Then QUITS times (none unless given): a tray program on a desk of ten monitors is sent SIGTERM, SIGINT
# or SIGHUP in turn while CLIENTS command lines change levels and names, each its own display and kind;
# afterwards every change reported done (exit 0) is stored and every one that failed changed nothing.
#   dbus-run-session -- soak/app-and-clients.sh LUMADESK LUMADESK-CTL CLIENTS ROUNDS [QUITS]
set -euo pipefail
app=$1 ctl=$2 clients=$3 rounds=$4 quits=${5:-0}
source "$(dirname "$0")/../tests/support/tray-on-bus.sh"
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
wait_for_tray "$work/app.log"

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
  tray_answers || { echo "FAILED: the tray program stopped answering after round $round"; exit 1; }
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

((quits > 0)) || exit 0
kill "$app_pid" 2>/dev/null || true
wait "$app_pid" 2>/dev/null || true
app_pid=""
desk=$work/ten.json
{
  echo '{"displays": ['
  for ((unit = 1; unit <= 10; unit++)); do
    ((unit > 1)) && echo ','
    echo "{\"name\": \"Soak $unit\", \"productName\": \"Soak\", \"vendor\": 4321, \"product\": 77, \"serial\": $unit,"
    echo " \"unit\": $unit, \"frame\": [$((unit * 1920)), 0, 1920, 1080], \"ddc\": {\"brightness\": 50, \"maximum\": 100},"
    echo " \"avServicePath\": \"IOService:/soak/av$unit\"}"
  done
  echo ']}'
} >"$desk"
# One client keeps changing its display's level (the first ten) or name (the others), each value new,
# and logs "VALUE STATUS" for every call until told to stop.
client_loop() {
  local client=$1 id=$2 log=$3 step=0 value status
  while [[ ! -e $work/stop ]]; do
    step=$((step + 1))
    if ((client < 10)); then
      value=$(((client * 37 + step) % 101))
      ((value == 50)) && continue
      "$ctl" --simulated="$desk" set-brightness "$id" "$value" >/dev/null 2>>"$log.err" && status=0 || status=$?
    else
      value="c$client-$step"
      "$ctl" --simulated="$desk" rename "$id" "$value" >/dev/null 2>>"$log.err" && status=0 || status=$?
    fi
    echo "$value $status" >>"$log"
  done
}
signals=(TERM INT HUP)
changes=0 lost=0 misreported=0 refused=0 started=$SECONDS
for ((run = 1; run <= quits; run++)); do
  rm -rf "$work/config" "$work/stop" "$work"/client.*
  "$app" --simulated="$desk" >"$work/app.log" 2>&1 &
  app_pid=$!
  wait_for_tray "$work/app.log" "in quit run $run"
  ids=($("$ctl" --simulated="$desk" list | awk 'NR > 1 { print $1 }'))
  ((${#ids[@]} == 10)) || { echo "FAILED: the soak desk lists ${#ids[@]} displays"; exit 1; }
  pids=()
  for ((client = 0; client < clients; client++)); do
    client_loop "$client" "${ids[$((client % 10))]}" "$work/client.$client" &
    pids+=($!)
  done
  sleep "$(printf '0.%03d' $((RANDOM % 700 + 300)))"
  signal=${signals[$((run % 3))]}
  # No call starts after the signal, so the last call of each client is the one that meets the quit
  # (answered by the tray, refused, or run in its own process once the tray has gone).
  touch "$work/stop"
  kill -s "$signal" "$app_pid"
  status=0
  wait "$app_pid" || status=$?
  app_pid=""
  ((status == 0)) || { echo "FAILED: the tray program exited $status on SIG$signal:"; cat "$work/app.log"; exit 1; }
  for pid in "${pids[@]}"; do wait "$pid"; done
  stored=$("$ctl" --simulated="$desk" list --json)
  for ((client = 0; client < clients; client++)); do
    id=${ids[$((client % 10))]}
    if ((client < 10)); then
      now=$(jq -r --arg id "$id" '.[] | select(.hardwareID == $id) | .brightness' <<<"$stored")
    else
      now=$(jq -r --arg id "$id" '.[] | select(.hardwareID == $id) | .customName // ""' <<<"$stored")
    fi
    # Before any call succeeds the display holds the desk's level, and no name.
    initial=""
    ((client < 10)) && initial=50
    done_value=$(awk -v value="$initial" '$2 == 0 { value = $1 } END { print value }' "$work/client.$client")
    changes=$((changes + $(wc -l <"$work/client.$client")))
    refused=$((refused + $(awk '$2 != 0' "$work/client.$client" | wc -l)))
    if [[ $now != "$done_value" ]]; then
      if awk -v now="$now" '$1 == now && $2 != 0 { found = 1 } END { exit !found }' "$work/client.$client"; then
        misreported=$((misreported + 1))
        echo "run $run SIG$signal: client $client $id holds $now from a call that failed; last done $done_value" >&2
      else
        lost=$((lost + 1))
        echo "run $run SIG$signal: client $client $id holds $now; last done $done_value was lost" >&2
      fi
    fi
  done
done
echo "quit runs: $quits, changes: $changes (failed while quitting: $refused), lost: $lost," \
     "misreported: $misreported, $((SECONDS - started)) s"
((lost == 0 && misreported == 0)) || { echo "FAILED: changes lost or misreported" >&2; exit 1; }
