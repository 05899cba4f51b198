#!/usr/bin/env bash
# One desktop test of `velmora --wayland`, named by $1, under its own headless sway (two virtual
# outputs of 640 x 480 side by side, each with its own wallpaper drawn by swaybg), judged by
# grim's screenshots; the test of the full-screen window for compositors without a layer shell
# runs under a headless Weston instead. Exit 0: passed; 1: failed; 77: skipped (a tool is
# missing).
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
need convert

work=$(mktemp -d /tmp/velmora-wayland.XXXXXX)
pids=()
cleanup() {
  # Only the processes this script started, newest first.
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null && wait "${pids[i]}" 2>/dev/null
  done
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
mkdir -p "$work/home" "$work/runtime" "$work/shots"
cp "$VELMORA" "$work/velmora" && cp -r "$RESOURCES" "$work/resources" || fail "cannot copy velmora"
chmod 755 "$work"
chmod 700 "$work/runtime"
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
green='mean.g > mean.r && mean.g > mean.b'
first=(0 0 640 480)
second=(640 0 640 480)

# Two checkerboards of 64-pixel squares: magenta and dark blue for the first output, green and
# dark blue for the second, so that each output's ground can be told from the other's.
start_sway() {
  need sway swaymsg swaybg grim wtype
  convert -size 128x128 xc:'#ff00ff' -fill '#000080' -draw 'rectangle 0,0 63,63' \
    -draw 'rectangle 64,64 127,127' "$work/magenta.png" &&
    convert -size 128x128 xc:'#00ff00' -fill '#000080' -draw 'rectangle 0,0 63,63' \
      -draw 'rectangle 64,64 127,127' "$work/green.png" || fail "cannot make the wallpapers"
  chmod 644 "$work"/*.png
  cat >"$work/sway.conf" <<CONFIG
output HEADLESS-1 mode 640x480 position 0 0 bg $work/magenta.png tile
output HEADLESS-2 mode 640x480 position 640 0 bg $work/green.png tile
output HEADLESS-3 mode 640x480 position 1280 0 bg $work/magenta.png tile
CONFIG
  chmod 644 "$work/sway.conf"
  "${as_user[@]}" "${session[@]}" WLR_BACKENDS=headless WLR_RENDERER=pixman \
    WLR_LIBINPUT_NO_DEVICES=1 sway -c "$work/sway.conf" >"$work/sway.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do
    swaysock=$(ls "$work"/runtime/sway-ipc.*.sock 2>/dev/null | head -n1)
    wayland=$(cd "$work/runtime" && ls wayland-* 2>/dev/null | grep -v lock | head -n1)
    [[ -n $swaysock && -n $wayland ]] && break
    sleep 0.1
  done
  [[ -n $swaysock && -n $wayland ]] || fail "sway did not start: $(cat "$work/sway.log")"
  run swaymsg create_output >/dev/null || fail "swaymsg create_output failed"
  shot() { run grim "$work/shots/$1.png" || fail "grim took no screenshot"; }

  # The desktop as it was: both wallpapers shown (swaybg needs a moment).
  for _ in $(seq 50); do
    shot before
    probe magenta "$work/shots/before.png" "${first[@]}" 0.4 >/dev/null &&
      colour "$work/shots/before.png" "${second[@]}" "$green" && break
    sleep 0.1
  done
  probe magenta "$work/shots/before.png" "${first[@]}" 0.4 >/dev/null ||
    fail "the first output does not show its wallpaper"
  colour "$work/shots/before.png" "${second[@]}" "$green" ||
    fail "the second output does not show its wallpaper"
}

# Weston has neither the layer shell nor screen copy; its own screenshooter needs --debug.
start_weston() {
  need weston weston-screenshooter
  wayland=velmora-test
  "${as_user[@]}" "${session[@]}" weston --backend=headless-backend.so --use-pixman \
    --width=640 --height=480 --debug --socket="$wayland" >"$work/weston.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do
    [[ -S $work/runtime/$wayland ]] && break
    sleep 0.1
  done
  [[ -S $work/runtime/$wayland ]] || fail "weston did not start: $(cat "$work/weston.log")"
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

# A ground unlike either wallpaper, to see when the scene is drawn.
mkdir -p "$work/pictures"
convert -size 256x256 xc:'#c08040' "$work/pictures/ground.png" && chmod -R a+rX "$work/pictures" ||
  fail "cannot make the ground picture"

# Takes screenshots until CHECK holds for the latest, $work/shots/active.png (a scene that is
# still loading on a busy machine shows black), then runs CHECK once more to print what it
# measured. A check that fails says why in $reason. The bound only ends the wait.
reason=
until_shown() {  # CHECK
  for _ in $(seq 40); do
    shot active
    "$1" >/dev/null 2>&1 && break
    sleep 0.5
  done
  "$1"
}
a=$work/shots/active.png

# The scene is drawn on both outputs: the ground picture covers their wallpapers.
drawn() {
  probe differ "$work/shots/before.png" "$a" "${first[@]}" 0.5 &&
    probe differ "$work/shots/before.png" "$a" "${second[@]}" 0.5 ||
    { reason="the scene was not drawn on both outputs"; return 1; }
}

# The saver ends within a second of being asked to, with status 0.
expect_end() {  # what asked
  for _ in $(seq 10); do kill -0 "$velmora_pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$velmora_pid" 2>/dev/null && fail "still running a second after $1"
  wait "$velmora_pid"; status=$?
  ((status == 0)) || fail "exit status $status after $1"
}

# Something moves in the rectangle (when the cats are built): a cat walks in within a few
# seconds; the bound only ends the wait.
moving() {  # X Y W H
  ((have_cats)) || { echo "no cat packs built yet: movement not judged"; return 0; }
  for _ in $(seq 15); do
    sleep 1
    shot later
    probe differ "$work/shots/active.png" "$work/shots/later.png" "$@" 0.0005 && return 0
  done
  return 1
}

if [[ $case_name == fallback_window ]]; then start_weston; else start_sway; fi
case $case_name in
  ground_and_cats)
    # No --wayland: with $WAYLAND_DISPLAY and no $DISPLAY it is the default.
    start_velmora --background screen --no-tile
    grounds() {
      reason="the first output's ground does not show its wallpaper"
      probe magenta "$a" "${first[@]}" 0.2 || return 1
      reason="the second output shows the first one's wallpaper"
      ! probe magenta "$a" "${second[@]}" 0.01 || return 1
      reason="the second output's ground does not show its wallpaper"
      colour "$a" "${second[@]}" "$green" || return 1
      # The ground is the capture resampled and seen in perspective, never the bare wallpaper.
      reason="the outputs show the bare desktop"
      probe differ "$work/shots/before.png" "$a" 0 0 1280 480 0.01
    }
    until_shown grounds || fail "$reason"
    moving "${first[@]}" || fail "nothing moves on the first output"
    moving "${second[@]}" || fail "nothing moves on the second output"
    ;;

  main_monitor_only)
    start_velmora --wayland --background folder --folder "$work/pictures" --main-monitor-only
    first_only() {
      reason="the first output is not drawn"
      probe differ "$work/shots/before.png" "$a" "${first[@]}" 0.5 || return 1
      reason="the second output is not black"
      probe black "$a" "${second[@]}"
    }
    until_shown first_only || fail "$reason"
    ;;

  desktop_picture)
    # The ground from the picture that the running swaybg shows on each output.
    start_velmora --wayland --background desktop --no-tile
    pictures() {
      reason="the first output's ground is not swaybg's picture"
      probe magenta "$a" "${first[@]}" 0.2 || return 1
      reason="the second output's ground is not swaybg's picture"
      colour "$a" "${second[@]}" "$green"
    }
    until_shown pictures || fail "$reason"
    ;;

  new_output)
    # An output that comes while the saver runs gets its own view, over its own wallpaper.
    start_velmora --wayland --background screen
    run swaymsg create_output >/dev/null || fail "swaymsg create_output failed"
    third=(1280 0 640 480)
    # Its bare wallpaper is the first output's one.
    convert "$work/shots/before.png" -crop 640x480+0+0 +repage "$work/shots/bare.png"
    # Its view comes once its wallpaper is drawn.
    third_ground() {
      reason="the new output's ground does not show its wallpaper"
      convert "$a" -crop 640x480+1280+0 +repage "$work/shots/third.png" &&
        probe magenta "$work/shots/third.png" 0 0 640 480 0.2 &&
        probe differ "$work/shots/bare.png" "$work/shots/third.png" 0 0 640 480 0.01
    }
    until_shown third_ground || fail "$reason"
    moving "${third[@]}" || fail "nothing moves on the new output"
    ;;

  key_ends)
    # A keyboard for the seat while the saver runs (headless sway has none of its own).
    # Started directly, so that $! is wtype itself and the clean-up ends it.
    "${as_user[@]}" "${session[@]}" WAYLAND_DISPLAY="$wayland" wtype -s 600000 >/dev/null 2>&1 &
    pids+=($!)
    sleep 0.5
    # No cats: the answer to the key is judged, not the drawing, and a light frame keeps a
    # busy machine from hiding it.
    start_velmora --wayland --cats 0 --background folder --folder "$work/pictures"
    until_shown drawn || fail "$reason"
    sleep 2  # past the first, slowest frames
    run wtype -k Escape || fail "wtype could not type"
    expect_end "a key press"
    ;;

  sigterm)
    start_velmora --wayland --cats 0 --background folder --folder "$work/pictures"
    until_shown drawn || fail "$reason"
    sleep 2  # past the first, slowest frames
    kill -TERM "$velmora_pid"
    expect_end "SIGTERM"
    ;;

  fallback_window)
    # Without a layer shell: a full-screen window says so, covers the panel too, and shows the
    # ground in its own colours (not a deeper pixel format that the compositor shows white).
    start_velmora --wayland --background folder --folder "$work/pictures"
    orange() {
      reason="the window does not cover the output with the ground picture"
      probe differ "$work/shots/before.png" "$a" 0 0 640 32 0.9 &&
        colour "$a" "${first[@]}" 'mean.r > mean.g + 0.1 && mean.g > mean.b + 0.1'
    }
    until_shown orange || fail "$reason"
    grep -q "has no layer shell" "$work/velmora.log" || fail "no word of the missing layer shell"
    kill -TERM "$velmora_pid"
    expect_end "SIGTERM"
    ;;

  *)
    echo "unknown test $case_name"; exit 2 ;;
esac
echo "PASSED: $case_name"
exit 0
