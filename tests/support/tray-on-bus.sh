# Shell helpers for scripts that drive the tray program on a private session bus; source this file.

# Whether the tray program answers on the bus itself (asked directly, so no command line answers for it).
tray_answers() {
  dbus-send --session --print-reply --reply-timeout=1000 --dest=io.lumadesk.Lumadesk /io/lumadesk/Lumadesk \
    io.lumadesk.Lumadesk1.Displays >/dev/null 2>&1
}

# Waits up to 10 s for the tray program to answer; fails with WHAT and its LOG when it does not.
#   wait_for_tray LOG [WHAT]
wait_for_tray() {
  local log=$1 what=${2:-}
  for _ in $(seq 200); do tray_answers && return 0; sleep 0.05; done
  tray_answers && return 0
  echo "FAILED: the tray program does not answer${what:+ $what}:"
  cat "$log"
  exit 1
}
