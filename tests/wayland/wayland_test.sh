#!/usr/bin/env bash
# One desktop test of `velmora --wayland`, named by $1, under its own headless sway (outputs of
# 640 x 480 side by side, each with its own wallpaper drawn by swaybg), judged by grim's
# screenshots; the full-screen window for compositors without a layer shell is tested under a
# headless Weston. Exit 0: passed; 1: failed; 77: skipped (a tool is missing).
# Needs VELMORA, PROBE and RESOURCES in the environment.
set -u
case_name=${1:?test name}

skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAILED: $*"; [[ -f $work/velmora.log ]] && sed 's/^/  velmora: /' "$work/velmora.log"; exit 1; }
need() {
  for tool in "$@"; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/install-deps.sh --test)"
  done
}
# Runs COMMAND up to TIMES times, DELAY seconds apart, until it succeeds; the bound only ends the
# wait. True when it succeeded.
poll() {  # TIMES DELAY COMMAND...
  local times=$1 delay=$2
  shift 2
  for ((n = 0; n < times; n++)); do "$@" >/dev/null 2>&1 && return 0; sleep "$delay"; done
  "$@"
}
need convert

work=$(mktemp -d /tmp/velmora-wayland.XXXXXX)
pids=()
cleanup() {  # only the processes this script started, newest first
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null && wait "${pids[i]}" 2>/dev/null; done
  [[ -n ${KEEP:-} ]] || rm -rf "$work"
}
trap cleanup EXIT

# sway refuses to run as root: as root, everything of the session runs as the unprivileged
# "nobody", from copies of the program and its resources that nobody can read.
as_user=()
if (($(id -u) == 0)); then
  command -v setpriv >/dev/null && id nobody >/dev/null 2>&1 ||
    skip "running as root without setpriv or a user nobody to run sway as"
  as_user=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups)
fi
mkdir -p "$work/home" "$work/runtime" "$work/shots" "$work/pictures"
cp "$VELMORA" "$work/velmora" && cp -r "$RESOURCES" "$work/resources" || fail "cannot copy velmora"
# A ground unlike any wallpaper, to see when the scene is drawn.
convert -size 256x256 xc:'#c08040' "$work/pictures/ground.png" || fail "cannot make the ground"
chmod -R a+rX "$work" && chmod 700 "$work/runtime"
[[ ${#as_user[@]} -gt 0 ]] && chown -R nobody "$work/home" "$work/runtime" "$work/shots"
have_cats=0
[[ -f $work/resources/c.vlm ]] && have_cats=1

# The session's environment: no X display, so that velmora chooses Wayland by itself.
# The sanitizers' settings go along (a sanitizer build's leak check must stay off).
session=(env -i PATH=/usr/bin:/bin HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime"
         XDG_CONFIG_HOME="$work/home/.config" LIBGL_ALWAYS_SOFTWARE=1
         ${ASAN_OPTIONS:+ASAN_OPTIONS=$ASAN_OPTIONS} ${UBSAN_OPTIONS:+UBSAN_OPTIONS=$UBSAN_OPTIONS})
swaysock= wayland=
run() { "${as_user[@]}" "${session[@]}" WAYLAND_DISPLAY="$wayland" SWAYSOCK="$swaysock" "$@"; }
probe() { "$PROBE" "$@"; }
# The mean colour of a rectangle satisfies an ImageMagick expression ("mean.g > mean.r").
colour() {  # FILE X Y W H EXPRESSION
  [[ $(convert "$1" -crop "$4x$5+$2+$3" +repage -format "%[fx:$6]" info:) == 1 ]]
}
first=(0 0 640 480)
second=(640 0 640 480)
before=$work/shots/before.png
a=$work/shots/active.png
# The first output shows magenta, the second green (and not magenta) in FILE.
wallpapers_in() {  # FILE
  reason="the first output does not show its wallpaper"
  probe magenta "$1" "${first[@]}" 0.2 || return 1
  reason="the second output does not show its own wallpaper"
  ! probe magenta "$1" "${second[@]}" 0.01 && colour "$1" "${second[@]}" 'mean.g > mean.r && mean.g > mean.b'
}

# Checkerboards of 64-pixel squares, magenta or green with dark blue, so that each output's
# ground can be told from the other's.
start_sway() {
  need sway swaymsg swaybg grim wtype
  for c in magenta:ff00ff green:00ff00; do
    convert -size 128x128 "xc:#${c#*:}" -fill '#000080' -draw 'rectangle 0,0 63,63' \
      -draw 'rectangle 64,64 127,127' "$work/${c%%:*}.png" || fail "cannot make the wallpapers"
  done
  printf 'output HEADLESS-%s mode 640x480 position %s 0 bg %s tile\n' 1 0 "$work/magenta.png" \
    2 640 "$work/green.png" 3 1280 "$work/magenta.png" >"$work/sway.conf"
  chmod 644 "$work"/*.png "$work/sway.conf"
  "${as_user[@]}" "${session[@]}" WLR_BACKENDS=headless WLR_RENDERER=pixman \
    WLR_LIBINPUT_NO_DEVICES=1 sway -c "$work/sway.conf" >"$work/sway.log" 2>&1 &
  pids+=($!)
  sockets() {
    swaysock=$(ls "$work"/runtime/sway-ipc.*.sock 2>/dev/null | head -n1)
    wayland=$(cd "$work/runtime" && ls wayland-* 2>/dev/null | grep -v lock | head -n1)
    [[ -n $swaysock && -n $wayland ]]
  }
  poll 100 0.1 sockets || fail "sway did not start: $(cat "$work/sway.log")"
  run swaymsg create_output >/dev/null || fail "swaymsg create_output failed"
  shot() { run grim "$work/shots/$1.png" || fail "grim took no screenshot"; }
  # The desktop as it was (swaybg needs a moment).
  shown_before() { shot before && wallpapers_in "$before"; }
  poll 50 0.1 shown_before || fail "before velmora starts: $reason"
}

# Weston has neither the layer shell nor screen copy; its own screenshooter needs --debug.
start_weston() {
  need weston weston-screenshooter
  wayland=velmora-test
  "${as_user[@]}" "${session[@]}" weston --backend=headless-backend.so --use-pixman \
    --width=640 --height=480 --debug --socket="$wayland" >"$work/weston.log" 2>&1 &
  pids+=($!)
  poll 100 0.1 test -S "$work/runtime/$wayland" || fail "weston did not start: $(cat "$work/weston.log")"
  shot() {
    rm -f "$work"/shots/wayland-screenshot-*.png
    (cd "$work/shots" && run weston-screenshooter) >/dev/null 2>&1 &&
      mv "$work"/shots/wayland-screenshot-*.png "$work/shots/$1.png" ||
      fail "weston-screenshooter took no screenshot"
  }
  sleep 1  # the desktop shell draws its panel
  shot before
}

velmora_pid=
start_velmora() {  # options...
  # Started directly (not through a function), so that $! is velmora itself.
  "${as_user[@]}" "${session[@]}" WAYLAND_DISPLAY="$wayland" "$work/velmora" \
    --resources "$work/resources" "$@" >"$work/velmora.log" 2>&1 &
  velmora_pid=$!
  pids+=($velmora_pid)
  sleep 1
  kill -0 "$velmora_pid" 2>/dev/null || fail "velmora exited early"
}

# Takes screenshots ($a) until CHECK holds (a scene that is still loading on a busy machine shows
# black); a check that fails says why in $reason.
reason=
until_shown() {  # CHECK
  shown() { shot active && "$1"; }
  poll 40 0.5 shown "$1" || fail "$reason"
}
# The scene is drawn on both outputs: the ground picture covers their wallpapers.
drawn() {
  reason="the scene was not drawn on both outputs"
  probe differ "$before" "$a" "${first[@]}" 0.5 && probe differ "$before" "$a" "${second[@]}" 0.5
}
# The saver ends within a second of being asked to, with status 0.
expect_end() {  # what asked
  gone() { ! kill -0 "$velmora_pid" 2>/dev/null; }
  poll 10 0.1 gone || fail "still running a second after $1"
  wait "$velmora_pid" || fail "exit status $? after $1"
}
# Something moves in the rectangle (when the cats are built): a cat walks in within seconds.
moving() {  # X Y W H
  ((have_cats)) || { echo "no cat packs built yet: movement not judged"; return 0; }
  moved() { sleep 1; shot later && probe differ "$a" "$work/shots/later.png" "$@" 0.0005; }
  poll 15 0 moved "$@"
}

if [[ $case_name == fallback_window ]]; then start_weston; else start_sway; fi
case $case_name in
  ground_and_cats)
    # No --wayland: with $WAYLAND_DISPLAY and no $DISPLAY it is the default.
    start_velmora --background screen --no-tile
    # The ground is the capture resampled and seen in perspective, never the bare wallpaper.
    grounds() {
      wallpapers_in "$a" || return 1
      reason="the outputs show the bare desktop"
      probe differ "$before" "$a" 0 0 1280 480 0.01
    }
    until_shown grounds
    moving "${first[@]}" || fail "nothing moves on the first output"
    moving "${second[@]}" || fail "nothing moves on the second output"
    ;;
  main_monitor_only)
    start_velmora --wayland --background folder --folder "$work/pictures" --main-monitor-only
    first_only() {
      reason="the first output is not drawn, or the second not black"
      probe differ "$before" "$a" "${first[@]}" 0.5 && probe black "$a" "${second[@]}"
    }
    until_shown first_only
    ;;
  desktop_picture)
    # The ground from the picture that the running swaybg shows on each output.
    start_velmora --wayland --background desktop --no-tile
    pictures() { wallpapers_in "$a"; }
    until_shown pictures
    ;;
  new_output)
    # An output that comes while the saver runs gets its own view, over its own wallpaper (the
    # first output's one).
    start_velmora --wayland --background screen
    run swaymsg create_output >/dev/null || fail "swaymsg create_output failed"
    convert "$before" -crop 640x480+0+0 +repage "$work/shots/bare.png"
    third_ground() {
      reason="the new output's ground does not show its wallpaper"
      convert "$a" -crop 640x480+1280+0 +repage "$work/shots/third.png" &&
        probe magenta "$work/shots/third.png" 0 0 640 480 0.2 &&
        probe differ "$work/shots/bare.png" "$work/shots/third.png" 0 0 640 480 0.01
    }
    until_shown third_ground
    moving 1280 0 640 480 || fail "nothing moves on the new output"
    ;;
  key_ends)
    # A keyboard for the seat (headless sway has none), started directly so that $! is wtype.
    "${as_user[@]}" "${session[@]}" WAYLAND_DISPLAY="$wayland" wtype -s 600000 >/dev/null 2>&1 &
    pids+=($!)
    sleep 0.5
    # No cats: the answer is judged, not the drawing, and a light frame keeps a busy machine
    # from hiding it.
    start_velmora --wayland --cats 0 --background folder --folder "$work/pictures"
    until_shown drawn
    sleep 2  # past the first, slowest frames
    run wtype -k Escape || fail "wtype could not type"
    expect_end "a key press"
    ;;
  fallback_window)
    # Without a layer shell: a full-screen window says so, covers the panel too, shows the
    # ground in its own colours (not a deeper pixel format that the compositor shows white), and
    # ends on SIGTERM.
    start_velmora --wayland --background folder --folder "$work/pictures"
    orange() {
      reason="the window does not cover the output with the ground picture"
      probe differ "$before" "$a" 0 0 640 32 0.9 &&
        colour "$a" "${first[@]}" 'mean.r > mean.g + 0.1 && mean.g > mean.b + 0.1'
    }
    until_shown orange
    grep -q "has no layer shell" "$work/velmora.log" || fail "no word of the missing layer shell"
    kill -TERM "$velmora_pid"
    expect_end "SIGTERM"
    ;;
  *) echo "unknown test $case_name"; exit 2 ;;
esac
echo "PASSED: $case_name"
