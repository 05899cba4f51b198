#!/usr/bin/env bash
# Velmora beside six XScreenSaver GL hacks, on one virtual 1920x1080 screen with software
# OpenGL (llvmpipe): CPU seconds per wall second, peak memory, and Velmora's frame rate.
#
# Usage: bench/peers/run.sh [--build DIR] [--baseline DIR] [--seconds N] [--warmup N] [--rounds N]
#                          [--size WxH]
#   --build DIR   build tree holding bin/velmora and share/velmora (default: build)
#   --baseline DIR  another such tree (an older build) measured in the same run, as "baseline"
#   --seconds N   measured time of each program (default 20)
#   --warmup N    seconds each program runs before the measurement starts (default 3)
#   --rounds N    run every program N times, in turn; the table shows medians (default 1)
#   --size WxH    screen size (default 1920x1080)
#
# Every program draws on the root window (-root / --root) with its default settings: Velmora with
# an empty configuration folder, the hacks with an empty home, each starting on a black screen
# (Velmora's default, a capture of the screen, then falls back to its shipped picture). CPU is user
# + system time of the process and all its threads (llvmpipe may render on threads of the drawing
# process), read from /proc/PID/stat at the start and the end of the measured time. The X
# server's CPU in the same window is shown apart: it copies every software-rendered frame to the
# screen. Peak memory is VmHWM of the process just before it is stopped. Not a test: timings
# depend on what else runs.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$repo/build
baseline=
seconds=20
warmup=3
rounds=1
size=1920x1080
while (($#)); do
  case $1 in
    --build) build=$2; shift 2 ;;
    --baseline) baseline=$2; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    --warmup) warmup=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    --size) size=$2; shift 2 ;;
    -h | --help) sed -n '2,21p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "run.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done
[[ $build = /* ]] || build=$repo/$build
[[ -z $baseline || $baseline = /* ]] || baseline=$repo/$baseline

hacks_dir=/usr/libexec/xscreensaver
peers=(gears glschool flyingtoasters glsnake molecule pipes)
velmora=$build/bin/velmora
[[ -x $velmora ]] || { echo "run.sh: $velmora is not built" >&2; exit 1; }
[[ -z $baseline || -x $baseline/bin/velmora ]] || { echo "run.sh: $baseline/bin/velmora is not built" >&2; exit 1; }
for p in "${peers[@]}"; do
  [[ -x $hacks_dir/$p ]] || { echo "run.sh: $hacks_dir/$p missing (Debian xscreensaver-gl)" >&2; exit 1; }
done
command -v Xvfb >/dev/null || { echo "run.sh: Xvfb missing (Debian xvfb)" >&2; exit 1; }
command -v xsetroot >/dev/null || { echo "run.sh: xsetroot missing (Debian x11-xserver-utils)" >&2; exit 1; }

tick=$(getconf CLK_TCK)
work=$(mktemp -d)
xvfb_pid=
cleanup() {
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# A free display number: no lock file and no socket.
display=99
while [[ -e /tmp/.X$display-lock || -e /tmp/.X11-unix/X$display ]]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 "${size}x24" -nolisten tcp +extension GLX >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [[ -e /tmp/.X11-unix/X$display ]] && break
  sleep 0.1
done
[[ -e /tmp/.X11-unix/X$display ]] || { echo "run.sh: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=:$display
mkdir -p "$work/home" "$work/config"

# utime + stime of a process and its waited children, in clock ticks (fields 14 to 17; the
# command name in field 2 may hold spaces, so count from the closing parenthesis).
cpu_ticks() {
  local stat
  stat=$(<"/proc/$1/stat") || return 1
  stat=${stat##*) }
  awk '{ print $12 + $13 + $14 + $15 }' <<<"$stat"
}

peak_kib() { awk '/^VmHWM:/ { print $2 }' "/proc/$1/status"; }

# measure NAME COMMAND...: prints "cpu_per_s xserver_per_s peak_mib frames_per_s cpu_ms_per_frame".
measure() {
  local name=$1
  shift
  local err=$work/$name.err
  # The root window keeps the last frame of the program before: paint it black, so that every
  # program starts from the same screen (Velmora would otherwise capture another's picture).
  xsetroot -solid black
  HOME=$work/home XDG_CONFIG_HOME=$work/config "$@" >/dev/null 2>"$err" &
  local pid=$!
  sleep "$warmup"
  if ! kill -0 "$pid" 2>/dev/null; then
    echo "run.sh: $name ended early:" >&2
    tail -5 "$err" >&2
    echo "- - - - -"
    return
  fi
  local c0 x0 c1 x1 t0 t1 peak
  t0=$(date +%s.%N)
  c0=$(cpu_ticks "$pid")
  x0=$(cpu_ticks "$xvfb_pid")
  sleep "$seconds"
  c1=$(cpu_ticks "$pid")
  x1=$(cpu_ticks "$xvfb_pid")
  t1=$(date +%s.%N)
  peak=$(peak_kib "$pid")
  kill -TERM "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  local fps=-
  if [[ $name = velmora || $name = baseline ]]; then
    fps=$(sed -n 's/.*frames drawn: [0-9]* in [0-9.]* s, \([0-9.]*\) per second.*/\1/p' "$err")
    [[ -n $fps ]] || fps=-
  fi
  awk -v c="$((c1 - c0))" -v x="$((x1 - x0))" -v hz="$tick" -v t0="$t0" -v t1="$t1" \
    -v peak="$peak" -v fps="$fps" \
    'BEGIN { wall = t1 - t0; cps = c / hz / wall
            printf "%.4f %.4f %.1f %s %s\n", cps, x / hz / wall, peak / 1024, fps,
                   fps == "-" || fps + 0 <= 0 ? "-" : sprintf("%.2f", 1000 * cps / fps) }'
}

programs=(velmora)
[[ -n $baseline ]] && programs+=(baseline)
programs+=("${peers[@]}")
declare -A results
for ((round = 1; round <= rounds; ++round)); do
  for name in "${programs[@]}"; do
    if [[ $name = velmora || $name = baseline ]]; then
      line=$(measure velmora "$velmora" --root --stats --resources "$build/share/velmora")
    elif [[ $name = baseline ]]; then
      line=$(measure baseline "$baseline/bin/velmora" --root --stats --resources "$baseline/share/velmora")
    else
      line=$(measure "$name" "$hacks_dir/$name" -root)
    fi
    results[$name]+="$line"$'\n'
    echo "round $round/$rounds: $name $line" >&2
  done
done

# The median of column $1 of the lines on standard input ("-" entries are skipped).
median() {
  awk -v col="$1" 'NF && $col != "-" { print $col }' | sort -g | awk '{ v[++n] = $1 } END {
      if (!n) { print "-"; exit }
      print (n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2) }'
}

echo
echo "Velmora and XScreenSaver GL hacks at $size, software OpenGL; ${seconds} s measured after" \
  "${warmup} s, median of $rounds round(s)"
printf '%-16s %10s %14s %10s %10s %14s\n' program "CPU s/s" "X server s/s" "peak MiB" "frames/s" \
  "CPU ms/frame"
declare -A cpu
for name in "${programs[@]}"; do
  rows=${results[$name]}
  cpu[$name]=$(median 1 <<<"$rows")
  printf '%-16s %10s %14s %10s %10s %14s\n' "$name" "${cpu[$name]}" "$(median 2 <<<"$rows")" \
    "$(median 3 <<<"$rows")" "$(median 4 <<<"$rows")" "$(median 5 <<<"$rows")"
done
peer_cpu=$(for p in "${peers[@]}"; do echo "${cpu[$p]}"; done)
peer_median=$(median 1 <<<"$peer_cpu")
peer_lowest=$(awk '$1 != "-"' <<<"$peer_cpu" | sort -g | head -1)
echo
echo "median of the peers: $peer_median CPU s/s; lowest: $peer_lowest"
for name in velmora ${baseline:+baseline}; do
  awk -v who="$name" -v v="${cpu[$name]}" -v m="$peer_median" -v l="$peer_lowest" 'BEGIN {
      if (v == "-" || m + 0 <= 0 || l + 0 <= 0) { printf "%s: no ratio\n", who; exit }
      printf "%s / median of the peers: %.2f; / lowest of the peers: %.2f\n", who, v / m, v / l }'
done
