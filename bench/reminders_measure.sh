#!/usr/bin/env bash
# Quit time and idle CPU of Nimbrel holding many session reminders. It seeds a fresh data folder
# with N sessions (1,000 by default) that remind before they start on every weekday, so the
# notification center holds N x 7 days x 8 weeks pending requests (56,000 for 1,000), starts
# `nimbrel` offscreen, waits until its start-up work has settled, then prints:
#   - the CPU time its start-up took (until one second passes with no CPU used),
#   - the CPU it uses over the next IDLE seconds (30 by default), as a share of one core,
#   - the time from SIGTERM (a quit, as the menu's) until the process has ended,
# each with the load average of the machine beside it, since other work on the machine skews them.
# Usage: bench/reminders_measure.sh [build folder, default build-release/] [sessions] [idle seconds]
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build-release}"
sessions="${2:-1000}"
idle="${3:-30}"
nimbrel="$build/nimbrel"
if [ ! -x "$nimbrel" ]; then
  echo "reminders_measure: $nimbrel is missing; build with: cmake --build $build --target nimbrel" >&2
  exit 1
fi

work="$(mktemp -d)"
pid=""
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill -KILL "$pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
clock_ticks="$(getconf CLK_TCK)"
now_ms() { date +%s%3N; }
load() { cut -d' ' -f1-3 /proc/loadavg; }
# User + system time so far, in clock ticks (fields after the command name start at field 3).
cpu_ticks() { sed -e 's/^.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'; }

# Sessions that are never active while this runs (their one-minute window lies hours away) and
# remind five minutes before they start, every day of the week.
mkdir -p "$work/data/Nimbrel" "$work/config"
python3 - "$sessions" "$work/data/Nimbrel/Sessions.json" <<'EOF'
import datetime, json, sys, uuid
count, path = int(sys.argv[1]), sys.argv[2]
hour = (datetime.datetime.now().hour + 6) % 24
days = ["monday", "tuesday", "wednesday", "thursday", "friday", "saturday", "sunday"]
sessions = [{
    "id": str(uuid.UUID(int=i + 1)).upper(),
    "name": "Session %d" % i,
    "scheduleStartTime": {"hour": hour, "minute": i % 59},
    "scheduleEndTime": {"hour": hour, "minute": i % 59 + 1},
    "scheduleWeekdays": days,
    "allowedApps": [],
    "whitelistAllApps": True,
    "remindBeforeSession": True,
    "remindBeforeSessionSeconds": 300,
    "wallpaperSelections": [],
    "menuBarSymbolName": "moon.fill",
} for i in range(count)]
json.dump(sessions, open(path, "w"))
EOF

start="$(now_ms)"
env QT_QPA_PLATFORM=offscreen XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" \
  "$nimbrel" >"$work/out" 2>"$work/err" &
pid=$!

# Start-up has settled once a whole second passes without CPU time (at most 120 s).
previous="$(cpu_ticks "$pid")"
while :; do
  sleep 1
  if ! kill -0 "$pid" 2>/dev/null; then echo "reminders_measure: nimbrel exited early" >&2; cat "$work/err" >&2; exit 1; fi
  current="$(cpu_ticks "$pid")"
  if [ $(( $(now_ms) - start )) -gt 3000 ] && [ "$current" -eq "$previous" ]; then break; fi
  if [ $(( $(now_ms) - start )) -gt 120000 ]; then echo "reminders_measure: start-up never settled" >&2; exit 1; fi
  previous="$current"
done
if ! grep -q "NimbrelSessions: no active session" "$work/out"; then
  echo "reminders_measure: the sessions store did not start" >&2
  exit 1
fi
printf 'start-up CPU  %8.2f s                      (settled after %d s; load average %s)\n' \
  "$(awk -v t="$current" -v hz="$clock_ticks" 'BEGIN { print t / hz }')" $(( ($(now_ms) - start) / 1000 )) "$(load)"

before="$(cpu_ticks "$pid")"
sleep "$idle"
after="$(cpu_ticks "$pid")"
printf 'idle CPU      %8.3f %% of one core over %d s (load average %s)\n' \
  "$(awk -v a="$before" -v b="$after" -v hz="$clock_ticks" -v s="$idle" 'BEGIN { print (b - a) / hz / s * 100 }')" \
  "$idle" "$(load)"

quit_load="$(load)"
quit_start="$(now_ms)"
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
quit_ms=$(( $(now_ms) - quit_start ))
pid=""
printf 'quit          %8.3f s, status %d           (load average %s)\n' \
  "$(awk -v m="$quit_ms" 'BEGIN { print m / 1000 }')" "$status" "$quit_load"
