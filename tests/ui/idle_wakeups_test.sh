#!/usr/bin/env bash
# The idle desktop program sleeps: once it is up, nothing in it wakes until something happens.
# Runs the real program on Qt's offscreen platform under strace, lets it sit, and counts the
# calls that a timer or a polling loop would make. A handful belong to the start-up; between
# then and the end there must be none.
#   idle_wakeups_test.sh VELT [IDLE-SECONDS]
set -euo pipefail
velt=$1
idle=${2:-8}

command -v strace >/dev/null || { echo "strace is not installed"; exit 77; }
strace -o /dev/null true 2>/dev/null || { echo "strace cannot trace here"; exit 77; }

work=$(mktemp -d)
pid=
cleanup() {
  [ -n "$pid" ] && kill -TERM "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

mkdir "$work/install"
cat >"$work/registry.reg" <<EOF
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\\Software\\VELT]
"Path"="$work/install"
"def"="VELT"
"enc"=dword:00000000
"hash"=dword:00000000
"comp"=dword:00000000
"compspeed"=dword:00000000
"ext"=dword:ffffffff
"sec"=dword:00000000
"del"=dword:ffffffff
"com"=dword:ffffffff
"add"=dword:ffffffff

EOF

VELT_REGISTRY=$work/registry.reg QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$work \
  strace -f -ttt -o "$work/trace" \
  -e trace=poll,ppoll,epoll_wait,futex,nanosleep,clock_nanosleep "$velt" &
pid=$!

# Up once the program catches SIGTERM: its event loop is about to run.
catches_term() {
  local p mask
  for p in $(pgrep -P "$pid"); do
    mask=$(awk '/^SigCgt:/ {print $2}' "/proc/$p/status" 2>/dev/null) || continue
    [ -n "$mask" ] && (((0x$mask >> 14) & 1)) && { velt_pid=$p; return 0; }
  done
  return 1
}
velt_pid=
for _ in $(seq 600); do
  catches_term && break
  kill -0 "$pid" 2>/dev/null || { echo "velt ended during start-up"; exit 1; }
  sleep 0.1
done
[ -n "$velt_pid" ] || { echo "velt did not come up"; exit 1; }

# What start-up left queued runs first: wait for a quiet second (a busy machine may take long).
size=-1
for _ in $(seq 15); do
  now=$(stat -c %s "$work/trace")
  [ "$now" = "$size" ] && break
  size=$now
  sleep 1
done
from=$(date +%s.%N)
sleep "$idle"
to=$(date +%s.%N)
kill -TERM "$velt_pid"
wait "$pid" || true
pid=

# strace's lines: PID SECONDS.MICROS call(...); a resumed call counts once, at its start.
awk -v from="$from" -v to="$to" '
  $3 ~ /^<\.\.\./ || $3 ~ /^\+\+\+/ || $3 ~ /^---/ { next }
  $2 < from { before++; next }
  $2 < to { idle++; if (idle <= 10) print "idle: " $0 }
  END {
    printf "%d calls in start-up, %d in %s idle seconds\n", before, idle, "'"$idle"'"
    exit (idle > 0)
  }' "$work/trace"
