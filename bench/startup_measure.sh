#!/usr/bin/env bash
# Start-up, memory and idle cost of Nimbrel against a bare Qt Quick program with one window,
# both offscreen, in the same run. For each it prints:
#   - the time from launch until its window has been drawn first, and, for Nimbrel, until its
#     panel has been drawn (which includes the designed 0.25 s wait before onboarding opens;
#     the summary also gives that time less the 0.25 s),
#   - the processor time it had used (user and system, all threads) when that was seen,
#   - its resident memory 10 s after launch,
#   - the CPU time it used over the following 30 s of idling, as a share of one core.
# Nimbrel runs on a fresh simulated Mac in a throw-away home, so its onboarding panel opens
# (0.25 s after start, by design) and its 0.75 s permission timer keeps ticking.
# Usage: bench/startup_measure.sh [build folder, default build/]
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
nimbrel="$build/nimbrel"
bare="$build/bench/bare_quick"
for program in "$nimbrel" "$bare"; do
  if [ ! -x "$program" ]; then
    echo "startup_measure: $program is missing; build with: cmake --build $build --target nimbrel bare_quick" >&2
    exit 1
  fi
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
clock_ticks="$(getconf CLK_TCK)"

now_ms() { date +%s%3N; }

# cpu_ticks <pid>: user + system time so far, in clock ticks.
cpu_ticks() {
  # Fields after the command name (which may hold spaces) start at field 3.
  sed -e 's/^.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'
}

# measure <label> <window line> <panel line> <command...>
measure() {
  local label="$1" first="$2" ready="$3"
  shift 3
  local out="$work/$label.out"
  local start pid ready_ms="" first_ms="" ready_cpu=""
  start="$(now_ms)"
  env QT_QPA_PLATFORM=offscreen XDG_DATA_HOME="$work/$label-data" XDG_CONFIG_HOME="$work/$label-config" \
    NIMBREL_REPORT_PANEL_READY=1 "$@" >"$out" 2>"$work/$label.err" &
  pid=$!
  while [ -z "$ready_ms" ]; do
    if [ -z "$first_ms" ] && grep -q "$first" "$out" 2>/dev/null; then first_ms=$(( $(now_ms) - start )); fi
    if grep -q "$ready" "$out" 2>/dev/null; then
      ready_cpu="$(cpu_ticks "$pid")"
      ready_ms=$(( $(now_ms) - start ))
      break
    fi
    if ! kill -0 "$pid" 2>/dev/null; then echo "startup_measure: $label exited early" >&2; cat "$work/$label.err" >&2; exit 1; fi
    if [ $(( $(now_ms) - start )) -gt 20000 ]; then echo "startup_measure: $label never got ready" >&2; kill "$pid"; exit 1; fi
    sleep 0.005
  done
  sleep "$(awk -v s="$start" -v n="$(now_ms)" 'BEGIN { d = 10 - (n - s) / 1000; print (d > 0 ? d : 0) }')"
  local rss_kb cpu_before cpu_after
  rss_kb="$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status")"
  cpu_before="$(cpu_ticks "$pid")"
  sleep 30
  cpu_after="$(cpu_ticks "$pid")"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  local cpu_pct
  cpu_pct="$(awk -v a="$cpu_before" -v b="$cpu_after" -v hz="$clock_ticks" 'BEGIN { printf "%.3f", (b - a) / hz / 30 * 100 }')"
  [ -n "$first_ms" ] || first_ms="$ready_ms"
  local ready_cpu_ms=$(( ready_cpu * 1000 / clock_ticks ))
  printf '%-8s window %6d ms   panel %6d ms   processor %5d ms   memory %7.1f MiB   idle CPU %6s %% of one core\n' \
    "$label" "$first_ms" "$ready_ms" "$ready_cpu_ms" "$(awk -v k="$rss_kb" 'BEGIN { print k / 1024 }')" "$cpu_pct"
  echo "$first_ms $ready_ms $rss_kb $cpu_pct $ready_cpu_ms" >"$work/$label.figures"
}

echo "Measuring (about 90 s)..."
measure bare "bare: window ready" "bare: window ready" "$bare"
measure nimbrel "nimbrel: window ready" "nimbrel: panel ready" "$nimbrel"

read -r bare_ms _ bare_kb _ bare_proc <"$work/bare.figures"
read -r nim_first nim_ms nim_kb nim_cpu nim_proc <"$work/nimbrel.figures"
awk -v bm="$bare_ms" -v nf="$nim_first" -v nm="$nim_ms" -v bk="$bare_kb" -v nk="$nim_kb" -v nc="$nim_cpu" \
  -v bp="$bare_proc" -v np="$nim_proc" 'BEGIN {
  printf "start-up: window %.2fx, panel %.2fx the bare program (aim: within 1.5x; the panel waits 0.25 s by design)\n", nf / bm, nm / bm
  printf "          panel without the designed 0.25 s wait: %d ms, %.2fx the bare program\n", nm - 250, (nm - 250) / bm
  printf "processor time to the panel: %d ms, %.2fx the bare program to its window (%d ms; ticks of 10 ms)\n", np, (bp > 0 ? np / bp : 0), bp
  printf "memory:   %.2fx the bare program (aim: within 1.5x)\n", nk / bk
  printf "idle CPU: %s %% of one core (aim: under 0.5 %%)\n", nc
}'
