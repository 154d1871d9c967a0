#!/bin/sh
# The program on the simulator with the History window shown, left alone:
# its CPU time (utime + stime of /proc/PID/stat) over a minute after ten
# seconds to settle, as a share of one core, and its resident memory
# (VmRSS) at the end. Needs xvfb-run.
#   bench/history_idle.sh [BUILD_DIR] [SECONDS]
set -eu
build=${1:-build}
seconds=${2:-60}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '[History Window]\nVisible=True\nWidth= 12000\nHeight= 9000\n' >"$work/Vanehold.ini"
cat >"$work/measure.sh" <<'INNER'
"$1" --simulate --profile "$2" >/dev/null 2>&1 &
pid=$!
ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
sleep 10
start=$(ticks)
sleep "$3"
end=$(ticks)
rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status")
kill "$pid"
wait "$pid" || true
hz=$(getconf CLK_TCK)
awk -v t=$((end - start)) -v hz="$hz" -v s="$3" -v rss="$rss" \
    'BEGIN { printf "cpu %.2f %% of one core over %d s, VmRSS %.1f MB\n", 100 * t / hz / s, s, rss / 1024 }'
INNER
xvfb-run -a sh "$work/measure.sh" "$build/app/vanehold" "$work/Vanehold.ini" "$seconds"
