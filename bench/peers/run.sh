#!/usr/bin/env bash
# Velmora beside six XScreenSaver GL hacks and beside the floor of clearing and swapping alone, on
# one virtual screen with software OpenGL (llvmpipe): CPU seconds per wall second of the program
# and of the X server, peak memory, and the frame rate.
#
# Usage: bench/peers/run.sh [--build DIR] [--baseline DIR] [--overview N] [--cycle N]
#                          [--warmup N] [--rounds N] [--size WxH] [--only NAMES]
#   --build DIR     build tree holding bin/velmora, share/velmora and bench/clear_swap
#                   (default: build)
#   --baseline DIR  another such tree (an older build), measured in the same rounds as "baseline"
#   --warmup N      seconds each program runs before anything is measured (default 3)
#   --overview N    seconds of the first table, from the end of the warm-up (default 15): Velmora's
#                   camera holds the overview for its first 20 s
#   --cycle N       seconds of the second table, from the end of the warm-up (default 120: a
#                   whole cycle of the camera, overview and moving shots, and the first dimming);
#                   0 measures the overview alone
#   --rounds N      run every program N times, in turn; the tables show medians (default 1)
#   --size WxH      screen size (default 1920x1080)
#   --only NAMES    measure only these programs (comma-separated: clear_swap, velmora, baseline,
#                   gears, glschool, flyingtoasters, glsnake, molecule, pipes)
#
# Every program draws on the root window (-root / --root) with its default settings: Velmora with
# an empty configuration folder, the hacks with an empty home, each starting on a black screen
# (Velmora's default, a capture of the screen, then falls back to its shipped picture). CPU is user
# + system time of the process and all its threads (llvmpipe renders on threads of the drawing
# process), read from /proc/PID/stat. The X server's CPU in the same time is counted with the
# program: it receives every software-rendered frame, and some programs push more of their work
# into it than others. Peak memory is VmHWM of the process just before it is stopped; the frame
# rate is over the whole run. Not a test: timings depend on what else runs.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$repo/build
baseline=
warmup=3
overview=15
cycle=120
rounds=1
size=1920x1080
only=
while (($#)); do
  case $1 in
    --build) build=$2; shift 2 ;;
    --baseline) baseline=$2; shift 2 ;;
    --warmup) warmup=$2; shift 2 ;;
    --overview) overview=$2; shift 2 ;;
    --cycle) cycle=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    --size) size=$2; shift 2 ;;
    --only) only=,$2,; shift 2 ;;
    -h | --help) sed -n '2,30p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "run.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done
[[ $build = /* ]] || build=$repo/$build
[[ -z $baseline || $baseline = /* ]] || baseline=$repo/$baseline
((cycle == 0 || cycle >= overview)) || { echo "run.sh: --cycle is shorter than --overview" >&2; exit 2; }

hacks_dir=/usr/libexec/xscreensaver
peers=(gears glschool flyingtoasters glsnake molecule pipes)
floor=$build/bench/clear_swap
for program in "$build/bin/velmora" "$floor" ${baseline:+"$baseline/bin/velmora"}; do
  [[ -x $program ]] || { echo "run.sh: $program is not built" >&2; exit 1; }
done
for p in "${peers[@]}"; do
  [[ -x $hacks_dir/$p ]] || { echo "run.sh: $hacks_dir/$p missing (Debian xscreensaver-gl)" >&2; exit 1; }
done
for tool in Xvfb xsetroot xdpyinfo; do
  command -v $tool >/dev/null || { echo "run.sh: $tool missing (scripts/install-deps.sh --test)" >&2; exit 1; }
done

tick=$(getconf CLK_TCK)
work=$(mktemp -d)
xvfb_pid=
cleanup() {
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# The server names a free display once it accepts connections; then a client must get through.
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp +extension GLX 3>"$work/display" \
  >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [[ -s $work/display ]] && break
  sleep 0.1
done
[[ -s $work/display ]] || { echo "run.sh: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=:$(head -n1 "$work/display")
for _ in $(seq 50); do
  xdpyinfo >/dev/null 2>&1 && break
  sleep 0.1
done
xdpyinfo >/dev/null 2>&1 || { echo "run.sh: Xvfb takes no connections" >&2; exit 1; }
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

# One sample: wall time, the program's ticks, the server's ticks.
sample() { echo "$(date +%s.%N) $(cpu_ticks "$1") $(cpu_ticks "$xvfb_pid")"; }

# "cpu_per_s xserver_per_s both_per_s" between two samples.
rates() {
  awk -v hz="$tick" -v a="$1" -v b="$2" 'BEGIN {
      split(a, s, " "); split(b, e, " "); wall = e[1] - s[1]
      c = (e[2] - s[2]) / hz / wall; x = (e[3] - s[3]) / hz / wall
      printf "%.4f %.4f %.4f", c, x, c + x }'
}

# measure NAME COMMAND...: prints two lines, "overview" and "cycle", each
# "cpu_per_s xserver_per_s both_per_s peak_mib frames_per_s both_ms_per_frame".
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
    printf 'overview - - - - - -\ncycle - - - - - -\n'
    return
  fi
  local start mid end peak
  start=$(sample "$pid")
  sleep "$overview"
  mid=$(sample "$pid")
  end=$mid
  if ((cycle > 0)); then
    sleep "$((cycle - overview))"
    end=$(sample "$pid")
  fi
  peak=$(awk -v k="$(peak_kib "$pid")" 'BEGIN { printf "%.1f", k / 1024 }')
  kill -TERM "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  local fps
  fps=$(sed -n 's/.*frames drawn: [0-9]* in [0-9.]* s, \([0-9.]*\) per second.*/\1/p' "$err")
  [[ -n $fps ]] || fps=-
  local phase from to
  for phase in overview cycle; do
    from=$start to=$mid
    [[ $phase = cycle ]] && to=$end
    if [[ $phase = cycle ]] && ((cycle == 0)); then
      echo "cycle - - - - - -"
      continue
    fi
    read -r c x both <<<"$(rates "$from" "$to")"
    awk -v p="$phase" -v c="$c" -v x="$x" -v both="$both" -v peak="$peak" -v fps="$fps" 'BEGIN {
        printf "%s %s %s %s %s %s %s\n", p, c, x, both, peak, fps,
               fps == "-" || fps + 0 <= 0 ? "-" : sprintf("%.2f", 1000 * both / fps) }'
  done
}

programs=(clear_swap velmora)
[[ -n $baseline ]] && programs+=(baseline)
programs+=("${peers[@]}")
if [[ -n $only ]]; then
  chosen=()
  for name in "${programs[@]}"; do [[ $only = *,$name,* ]] && chosen+=("$name"); done
  programs=("${chosen[@]}")
fi
declare -A results
for ((round = 1; round <= rounds; ++round)); do
  for name in "${programs[@]}"; do
    case $name in
      clear_swap) lines=$(measure "$name" "$floor") ;;
      velmora) lines=$(measure "$name" "$build/bin/velmora" --root --stats --resources "$build/share/velmora") ;;
      baseline) lines=$(measure "$name" "$baseline/bin/velmora" --root --stats --resources "$baseline/share/velmora") ;;
      *) lines=$(measure "$name" "$hacks_dir/$name" -root) ;;
    esac
    results[$name]+="$lines"$'\n'
    sed "s/^/round $round\/$rounds: $name /" <<<"$lines" >&2
  done
done

# The median of column $1 of the lines on standard input ("-" entries are skipped).
median() {
  awk -v col="$1" 'NF && $col != "-" { print $col }' | sort -g | awk '{ v[++n] = $1 } END {
      if (!n) { print "-"; exit }
      print (n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2) }'
}

# ratio WHO VALUE REFERENCE NAME
ratio() {
  awk -v who="$1" -v v="$2" -v r="$3" -v what="$4" 'BEGIN {
      if (v == "-" || r == "-" || r + 0 <= 0) { printf "  %s / %s: -\n", who, what; exit }
      printf "  %s / %s: %.2f\n", who, what, v / r }'
}

report() {  # PHASE SECONDS
  local phase=$1
  echo
  echo "$phase: $2 s measured after $warmup s at $size, software OpenGL, median of $rounds round(s)"
  printf '%-16s %9s %9s %9s %9s %9s %11s\n' program "CPU s/s" "X s/s" "both s/s" "peak MiB" \
    "frames/s" "both ms/fr"
  declare -A both peak
  local name rows
  for name in "${programs[@]}"; do
    rows=$(grep "^$phase " <<<"${results[$name]}" | cut -d' ' -f2-)
    both[$name]=$(median 3 <<<"$rows")
    peak[$name]=$(median 4 <<<"$rows")
    printf '%-16s %9s %9s %9s %9s %9s %11s\n' "$name" "$(median 1 <<<"$rows")" \
      "$(median 2 <<<"$rows")" "${both[$name]}" "${peak[$name]}" "$(median 5 <<<"$rows")" \
      "$(median 6 <<<"$rows")"
  done
  local p peer_both peer_peak peer_median peer_lowest peak_median
  peer_both=$(for p in "${peers[@]}"; do [[ -n ${both[$p]:-} ]] && echo "${both[$p]}"; done)
  peer_peak=$(for p in "${peers[@]}"; do [[ -n ${peak[$p]:-} ]] && echo "${peak[$p]}"; done)
  [[ -n $peer_both ]] || return 0
  peer_median=$(median 1 <<<"$peer_both")
  peer_lowest=$(awk '$1 != "-"' <<<"$peer_both" | sort -g | head -1)
  peak_median=$(median 1 <<<"$peer_peak")
  echo "peers (program + X server): median $peer_median s/s, lowest ${peer_lowest:--}; peak memory median $peak_median MiB"
  for name in velmora baseline; do
    [[ -n ${both[$name]:-} ]] || continue
    echo "$name (program + X server):"
    ratio "$name" "${both[$name]}" "${both[clear_swap]:--}" "clear + swap"
    ratio "$name" "${both[$name]}" "$peer_median" "median of the peers"
    ratio "$name" "${both[$name]}" "${peer_lowest:--}" "lowest of the peers"
    ratio "$name" "${peak[$name]}" "$peak_median" "peers' median peak memory"
  done
}

report overview "$overview"
((cycle == 0)) || report cycle "$cycle"
