#!/usr/bin/env bash
# One desktop test of the velmora program, named by $1, in its own Xvfb server and temporary
# HOME. Exit 0: passed; 1: failed; 77: skipped (a tool is missing).
# Needs VELMORA, PROBE, PACK_MAKER, SPLIT_MONITORS, ROOT_PIXMAP, INPUT_ONLY, RESOURCES and
# BUILD_DIR in the environment.
set -u
case_name=${1:?test name}

skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAILED: $*"; [[ -f $work/velmora.log ]] && sed 's/^/  velmora: /' "$work/velmora.log"; exit 1; }

command -v Xvfb >/dev/null || skip "Xvfb is not installed (scripts/install-deps.sh --test)"
command -v import >/dev/null || skip "ImageMagick's import is not installed"
command -v display >/dev/null || skip "ImageMagick's display is not installed"
command -v xdpyinfo >/dev/null || skip "xdpyinfo is not installed"

work=$(mktemp -d /tmp/velmora-desktop.XXXXXX)
pids=()
cleanup() {
  # Only the processes this script started, newest first.
  [[ -n ${SHOTS:-} && -d $work ]] && mkdir -p "$SHOTS" && cp "$work"/*.png "$SHOTS/" 2>/dev/null
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null && wait "${pids[i]}" 2>/dev/null
  done
  [[ -n ${KEEP:-} ]] || rm -rf "$work"
}
trap cleanup EXIT

export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config GSETTINGS_BACKEND=memory
mkdir -p "$HOME"
unset XSCREENSAVER_WINDOW

start_xvfb() {  # WIDTHxHEIGHT [DEPTH]
  Xvfb -displayfd 3 -screen 0 "$1x${2:-24}" -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
  pids+=($!)
  for _ in $(seq 100); do
    [[ -s $work/display ]] && break
    sleep 0.1
  done
  [[ -s $work/display ]] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
  export DISPLAY=":$(head -n1 "$work/display")"
}

# The generated packs when they have been built (then the cats come too); otherwise a scene pack
# of plain pictures, enough for the ground.
resources=$RESOURCES
have_cats=0
if [[ -f $RESOURCES/pebble.courtyards && -f $RESOURCES/c.vlm ]]; then
  have_cats=1
elif [[ ! -f $RESOURCES/pebble.courtyards ]]; then
  resources=$work/resources
  mkdir -p "$resources"
  "$PACK_MAKER" "$resources" || fail "cannot write the scene pack"
fi

velmora_pid=
start_velmora() {  # options...
  "$VELMORA" --resources "$resources" "$@" >"$work/velmora.log" 2>&1 &
  velmora_pid=$!
  pids+=($velmora_pid)
  # Time to set up and draw some frames; nothing is judged by how long it took.
  sleep 4
  kill -0 "$velmora_pid" 2>/dev/null || fail "velmora exited early"
}

stop_velmora() {
  kill "$velmora_pid" 2>/dev/null
  wait "$velmora_pid" 2>/dev/null
}

shot() { import -window root "$work/$1.png" || fail "no screenshot"; }
probe() { "$PROBE" "$@"; }

# A wallpaper of one vivid colour: picture NAME COLOUR (SVG written by hand, the rest by
# ImageMagick in the format its name ends in).
picture() {
  case $1 in
    *.svg) printf '<svg xmlns="http://www.w3.org/2000/svg" width="1920" height="1080">%s</svg>\n' \
      "<rect width=\"100%\" height=\"100%\" fill=\"$2\"/>" >"$work/$1" ;;
    *) convert -size 640x480 "xc:$2" "$work/$1" || fail "cannot make $1" ;;
  esac
}

# The window of `velmora --window --background desktop` shows a ground of the desktop picture's
# hue: ground_hue NAME DEGREES.
ground_hue() {
  start_velmora --window --background desktop --no-tile
  shot "$1"
  probe hue "$work/$1.png" 112 84 800 600 "$2" 0.3 ||
    fail "$1: the ground does not show the desktop picture"
  stop_velmora
}

# XScreenSaver running the installed hack with the given grabDesktopImages, as "nobody" when we
# are root (XScreenSaver runs no hacks for root): leaves a screenshot named "active".
run_xscreensaver() {  # run_xscreensaver True|False
  command -v xscreensaver >/dev/null || skip "xscreensaver is not installed"
  command -v xscreensaver-command >/dev/null || skip "xscreensaver-command is not installed"
  # The installed package when VELMORA_INSTALLED_PREFIX names its prefix; otherwise an install
  # of the build tree into a prefix of the test's own.
  prefix=${VELMORA_INSTALLED_PREFIX:-$work/prefix}
  if [[ -z ${VELMORA_INSTALLED_PREFIX:-} ]]; then
    cmake --install "$BUILD_DIR" --component velmora --prefix "$prefix" >"$work/install.log" 2>&1 ||
      fail "cmake --install failed: $(cat "$work/install.log")"
  fi
  hack=$prefix/libexec/xscreensaver/velmora
  [[ -x $hack ]] || fail "no hack installed at $hack"
  [[ -f $prefix/share/xscreensaver/config/velmora.xml ]] || fail "no velmora.xml installed"
  compgen -G "$prefix/share/man/man6/velmora.6*" >/dev/null || fail "no manual page installed"
  extra=()
  [[ -f $prefix/share/velmora/pebble.courtyards ]] || extra=(--resources "$resources")
  cat >"$HOME/.xscreensaver" <<CONFIG
timeout:	1:00:00
lock:		False
splash:		False
fade:		False
unfade:		False
mode:		one
selected:	0
grabDesktopImages:	$1
grabVideoFrames:	False
chooseRandomImages:	False
programs:	GL: $hack --root --background screen --no-tile ${extra[*]} \\n
CONFIG
  as_user=()
  if (($(id -u) == 0)); then
    command -v setpriv >/dev/null && id nobody >/dev/null 2>&1 ||
      skip "running as root without setpriv or a user nobody to run XScreenSaver as"
    as_user=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups)
    chmod 755 "$work"
    chmod -R a+rX "$work"
    chown -R nobody "$HOME"
  fi
  start_xvfb 1024x768
  paint_root
  "${as_user[@]}" xscreensaver --no-splash >"$work/xscreensaver.log" 2>&1 &
  xscreensaver_pid=$!
  pids+=($xscreensaver_pid)
  for _ in $(seq 50); do xscreensaver-command -time >/dev/null 2>&1 && break; sleep 0.2; done
  xscreensaver-command -activate >/dev/null 2>&1 || fail "xscreensaver did not take the command"
  sleep 6
  shot active
  pgrep -f -- "$hack --root" >/dev/null || fail "the hack is not running: $(cat "$work/xscreensaver.log")"
}

# A process that has ended (the container's first process may leave it unreaped).
ended() {
  [[ ! -e /proc/$1/stat ]] || grep -q '^[0-9]* (.*) Z ' "/proc/$1/stat"
}

# XScreenSaver ends its hacks through its drawing process. On a busy machine that process now
# and then lingers after the daemon has gone; it is then ended as the daemon would, and the hack
# must end with it: by the SIGTERM it passes on, or because the window it drew into is gone.
stop_xscreensaver() {
  local gfx
  gfx=$(pgrep -P "$xscreensaver_pid" -f xscreensaver-gfx | head -1)
  xscreensaver-command -exit >/dev/null 2>&1
  if [[ -n $gfx ]]; then
    for _ in $(seq 100); do ended "$gfx" && break; sleep 0.1; done
    ended "$gfx" || { echo "XScreenSaver's drawing process lingers; ending it" >&2; kill "$gfx"; }
  fi
  for _ in $(seq 50); do pgrep -f -- "$hack --root" >/dev/null || break; sleep 0.1; done
  pgrep -f -- "$hack --root" >/dev/null && fail "the hack outlived XScreenSaver"
}

# The desktop before the saver starts: a checkerboard of magenta (a colour no part of the scene
# has of its own) and dark blue squares of 64 pixels on the root window.
paint_root() {
  local size
  size=$(xdpyinfo 2>/dev/null | awk '/dimensions:/ {print $2; exit}')
  convert -size 128x128 xc:'#ff00ff' -fill '#000080' -draw 'rectangle 0,0 63,63' \
    -draw 'rectangle 64,64 127,127' "$work/tile.png" &&
    convert -size "${size:-1024x768}" tile:"$work/tile.png" "$work/desktop.png" ||
    fail "cannot make the picture"
  display -window root "$work/desktop.png" 2>/dev/null
  shot before
  probe magenta "$work/before.png" 64 0 64 64 1.0 >/dev/null || fail "cannot paint the root window"
  probe magenta "$work/before.png" 0 0 64 64 0.01 >/dev/null && fail "the root window is not patterned"
}

case $case_name in
  window_draws)
    start_xvfb 1024x768
    paint_root
    start_velmora --window --background screen
    shot first
    sleep 3
    shot second
    # The window is 800 x 600, centred on the 1024 x 768 screen.
    probe lit "$work/first.png" 112 84 800 600 0.5 || fail "the window is not drawn"
    probe lit "$work/second.png" 112 84 800 600 0.5 || fail "the window went black"
    if ((have_cats)); then
      probe differ "$work/first.png" "$work/second.png" 112 84 800 600 0.001 ||
        fail "nothing moved in three seconds"
    else
      echo "no cat packs built yet: movement not judged"
    fi
    ;;

  ground_shows_screen | ground_shows_screen_16bit)
    # A 16-bit screen packs its colours differently; the capture must read them all the same.
    depth=24
    [[ $case_name == *16bit ]] && depth=16
    start_xvfb 1024x768 "$depth"
    paint_root
    start_velmora --window --background screen --no-tile
    shot captured
    probe magenta "$work/captured.png" 112 84 800 600 0.2 ||
      fail "the ground does not show the captured desktop"
    kill "$velmora_pid"; wait "$velmora_pid" 2>/dev/null
    # The same desktop with the desktop-picture source: the magenta must not come from elsewhere.
    start_velmora --window --background desktop --no-tile
    shot desktop
    probe magenta "$work/desktop.png" 112 84 800 600 0.2 &&
      fail "the desktop-picture source shows the captured screen"
    probe lit "$work/desktop.png" 112 84 800 600 0.01 || fail "nothing drawn"
    ;;

  fullscreen_monitors | main_monitor_only)
    start_xvfb 1600x600
    "$SPLIT_MONITORS" || fail "cannot split the screen into two monitors"
    paint_root
    options=(--fullscreen --background screen)
    [[ $case_name == main_monitor_only ]] && options+=(--main-monitor-only)
    start_velmora "${options[@]}"
    shot monitors
    # The views cover the monitors: no magenta desktop is left in sight.
    probe lit "$work/monitors.png" 0 0 800 600 0.5 || fail "the primary monitor is not drawn"
    if [[ $case_name == main_monitor_only ]]; then
      probe black "$work/monitors.png" 800 0 800 600 || fail "the secondary monitor is not black"
    else
      probe lit "$work/monitors.png" 800 0 800 600 0.5 || fail "the second monitor is not drawn"
    fi
    # Covered by our windows: the desktop's magenta shows only on the ground, never bare.
    xdotool key --clear Escape 2>/dev/null || xdotool click 1 2>/dev/null
    for _ in $(seq 50); do kill -0 "$velmora_pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$velmora_pid" 2>/dev/null && fail "a key did not end the full-screen saver"
    wait "$velmora_pid"; status=$?
    ((status == 0)) || fail "exit status $status after a key"
    ;;

  sigterm)
    start_xvfb 1024x768
    start_velmora --window
    kill -TERM "$velmora_pid"
    # XScreenSaver gives a hack little time; a second is the bound asked of us.
    for _ in $(seq 10); do kill -0 "$velmora_pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$velmora_pid" 2>/dev/null && fail "still running a second after SIGTERM"
    wait "$velmora_pid"; status=$?
    ((status == 0)) || fail "exit status $status after SIGTERM"
    ;;

  xscreensaver)
    run_xscreensaver True
    probe magenta "$work/active.png" 0 0 1024 768 0.2 ||
      fail "the saver's ground does not show the desktop"
    # XScreenSaver's own window is black; the overview shows the captured desktop filling the
    # screen, resampled (the squares' edges blur), so it is never the bare desktop pixel for pixel.
    probe differ "$work/before.png" "$work/active.png" 0 0 1024 768 0.01 ||
      fail "the screen shows the bare desktop"
    stop_xscreensaver
    ;;

  xscreensaver_no_grab)
    # Debian's default: no desktop grabs. XScreenSaver's helper would paint colour bars; the
    # ground is the desktop picture instead (here feh's, yellow), never the screen or the card.
    picture feh.png '#e0e020'
    printf "feh --no-fehbg --bg-scale '%s'\n" "$work/feh.png" >"$HOME/.fehbg"
    run_xscreensaver False
    probe hue "$work/active.png" 0 0 1024 768 60 0.2 ||
      fail "the ground is not the desktop picture"
    probe magenta "$work/active.png" 0 0 1024 768 0.01 && fail "the screen was grabbed"
    # The test card's bars: cyan and green are nowhere in the scene or the picture.
    probe hue "$work/active.png" 0 0 1024 768 180 0.01 && fail "the ground shows the test card"
    stop_xscreensaver
    ;;

  refusals)
    start_xvfb 640x480
    "$VELMORA" --resources "$resources" --window-id 0x7ffff1 >"$work/velmora.log" 2>&1
    status=$?
    ((status == 1)) || fail "exit status $status for a window that does not exist"
    grep -q "cannot draw into window 0x7ffff1" "$work/velmora.log" || fail "no message for a missing window"
    # A window without pixels is refused at once, not drawn into with an X error every frame.
    only=$("$INPUT_ONLY") || fail "cannot make an InputOnly window"
    timeout 30 "$VELMORA" --resources "$resources" --window-id "$only" >"$work/velmora.log" 2>&1
    status=$?
    ((status == 1)) || fail "exit status $status for an InputOnly window"
    grep -q "cannot draw into window $only: it is an InputOnly window" "$work/velmora.log" ||
      fail "no message for an InputOnly window"
    "$VELMORA" --cats 9 >"$work/velmora.log" 2>&1
    status=$?
    ((status == 2)) || fail "exit status $status for --cats 9"
    grep -q -- "--cats needs a whole number from 0 to 3" "$work/velmora.log" || fail "no message for --cats 9"
    DISPLAY=:nowhere "$VELMORA" --resources "$resources" >"$work/velmora.log" 2>&1
    status=$?
    ((status == 1)) || fail "exit status $status without a display"
    grep -q "cannot open the X display" "$work/velmora.log" || fail "no message without a display"
    ;;

  preview_in_foreign_window)
    # The settings dialog's preview: a window someone else made, named by its id.
    start_xvfb 640x480
    paint_root
    convert -size 320x240 xc:black "$work/black.png" || fail "cannot make the picture"
    display -geometry 320x240+0+0 -title host "$work/black.png" &
    pids+=($!)
    host=
    for _ in $(seq 50); do
      host=$(xdotool search --name '^host$' 2>/dev/null | head -n1)
      [[ -n $host ]] && break
      sleep 0.1
    done
    [[ -n $host ]] || fail "no host window"
    sleep 1
    shot empty
    geometry=$(xwininfo -id "$host" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} /Width:/ {w=$NF} /Height:/ {h=$NF} END {print x, y, w, h}')
    read -r hx hy hw hh <<<"$geometry"
    probe lit "$work/empty.png" "$hx" "$hy" "$hw" "$hh" 0.1 >/dev/null &&
      fail "the host window is not dark to start with"
    start_velmora --window-id "$host" --preview --background desktop
    shot preview
    probe lit "$work/preview.png" "$hx" "$hy" "$hw" "$hh" 0.5 || fail "the preview is not drawn"
    stop_velmora
    # Asked for the screen, the preview captures it as --window does: never XScreenSaver's test
    # card, whose bars hold cyan.
    start_velmora --window-id "$host" --preview --background screen --no-tile
    shot preview-screen
    probe magenta "$work/preview-screen.png" "$hx" "$hy" "$hw" "$hh" 0.2 ||
      fail "the preview does not show the screen"
    probe hue "$work/preview-screen.png" "$hx" "$hy" "$hw" "$hh" 180 0.01 &&
      fail "the preview shows the test card"
    ;;

  root_leaves_no_ghost)
    start_xvfb 1024x768
    paint_root
    # The first run shows a yellow desktop picture, so that its frame is unmistakable.
    picture feh.png '#e0e020'
    printf "feh --bg-scale '%s'\n" "$work/feh.png" >"$HOME/.fehbg"
    start_velmora --root --background desktop --no-tile
    # Killed outright, a run cannot put the root window back: its last frame stays there.
    kill -KILL "$velmora_pid"; wait "$velmora_pid" 2>/dev/null
    shot ghost
    probe hue "$work/ghost.png" 0 0 1024 768 60 0.3 >/dev/null ||
      fail "the killed run left no frame behind: nothing to test"
    # The next run captures the desktop itself, not the frame left on top of it.
    start_velmora --root --background screen --no-tile
    shot second-run
    probe magenta "$work/second-run.png" 0 0 1024 768 0.2 || fail "the second run lost the desktop"
    probe hue "$work/second-run.png" 0 0 1024 768 60 0.01 &&
      fail "the second run shows a ghost of the first"
    # Ended as XScreenSaver ends its hacks, it leaves the desktop as it found it.
    kill -TERM "$velmora_pid"; wait "$velmora_pid"; status=$?
    ((status == 0)) || fail "exit status $status after SIGTERM"
    shot after
    probe differ "$work/before.png" "$work/after.png" 0 0 1024 768 0.0005 &&
      fail "the root window still shows a frame after the saver ended"
    ;;

  sigterm_while_loading)
    # A picture of 31 million pixels takes a while to decode: a signal at any moment of the
    # start-up, loading included, ends the saver within a second.
    start_xvfb 1024x768
    convert -size 7000x4500 -define png:compression-level=1 gradient:'#e0e020-#e08020' \
      "$work/big.png" || fail "cannot make the picture"
    printf "feh --bg-scale '%s'\n" "$work/big.png" >"$HOME/.fehbg"
    for delay in 0.1 0.5 0.9 1.3; do
      "$VELMORA" --resources "$resources" --window --background desktop >"$work/velmora.log" 2>&1 &
      velmora_pid=$!
      pids+=($velmora_pid)
      sleep "$delay"
      kill -TERM "$velmora_pid"
      for _ in $(seq 10); do kill -0 "$velmora_pid" 2>/dev/null || break; sleep 0.1; done
      kill -0 "$velmora_pid" 2>/dev/null && fail "still running a second after SIGTERM at $delay s"
      wait "$velmora_pid"; status=$?
      ((status == 0)) || fail "exit status $status after SIGTERM at $delay s"
    done
    ;;

  missing_resources)
    start_xvfb 800x600
    start_velmora --window --resources "$work/nowhere"
    grep -q "velmora: cannot find the resource files (the scene pack pebble.courtyards) in $work/nowhere" \
      "$work/velmora.log" || fail "no message on standard error"
    shot notice
    # The notice is written in amber at the top left of the window, over a black frame.
    probe hue "$work/notice.png" 0 0 500 100 44 0.02 || fail "no notice on the screen"
    ;;

  desktop_picture_gsettings)
    command -v gsettings >/dev/null || skip "gsettings is not installed"
    gsettings list-keys org.gnome.desktop.background >/dev/null 2>&1 ||
      skip "GNOME's schemas are not installed (gsettings-desktop-schemas)"
    export GSETTINGS_BACKEND=keyfile XDG_CURRENT_DESKTOP=GNOME
    start_xvfb 1024x768
    picture debian.svg '#20e020'
    picture gnome.webp '#2070e0'
    picture photo.jpg '#e08020'
    picture night.jpg '#8020e0'
    cat >"$work/timed.xml" <<SHOW
<background>
  <starttime><year>2020</year><month>1</month><day>1</day><hour>0</hour><minute>0</minute><second>0</second></starttime>
  <static><duration>3000000000.0</duration><file>$work/night.jpg</file></static>
</background>
SHOW
    for wallpaper in "debian.svg 120" "gnome.webp 215" "photo.jpg 30" "timed.xml 270"; do
      read -r name hue <<<"$wallpaper"
      gsettings set org.gnome.desktop.background picture-uri "file://$work/$name"
      ground_hue "gsettings-${name%.*}" "$hue"
    done
    ;;

  desktop_picture_files)
    start_xvfb 1024x768
    monitor=$(xrandr --listmonitors 2>/dev/null | awk 'NR == 2 {print $NF}')
    picture xfce.png '#20e0e0'
    mkdir -p "$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml"
    cat >"$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml/xfce4-desktop.xml" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-desktop" version="1.0">
  <property name="backdrop" type="empty"><property name="screen0" type="empty">
    <property name="monitor${monitor:-0}" type="empty"><property name="workspace0" type="empty">
      <property name="last-image" type="string" value="$work/xfce.png"/>
    </property></property>
  </property></property>
</channel>
XML
    XDG_CURRENT_DESKTOP=XFCE ground_hue xfce 180
    picture plasma.jpg '#e02020'
    printf '[Containments][3]\nlastScreen=0\nplugin=org.kde.plasma.folder\n\n%s\nImage=file://%s\n' \
      '[Containments][3][Wallpaper][org.kde.image][General]' "$work/plasma.jpg" \
      >"$XDG_CONFIG_HOME/plasma-org.kde.plasma.desktop-appletsrc"
    XDG_CURRENT_DESKTOP=KDE ground_hue plasma 0
    picture feh.png '#e0e020'
    printf "#!/bin/sh\nfeh --no-fehbg --bg-fill '%s' \n" "$work/feh.png" >"$HOME/.fehbg"
    XDG_CURRENT_DESKTOP=i3 ground_hue feh 60
    # Nothing names a picture: the pixmap a wallpaper setter published on the root window.
    rm -f "$HOME/.fehbg" "$XDG_CONFIG_HOME/plasma-org.kde.plasma.desktop-appletsrc"
    rm -rf "$XDG_CONFIG_HOME/xfce4"
    "$ROOT_PIXMAP" 20e080 || fail "cannot set the root pixmap"
    XDG_CURRENT_DESKTOP=i3 ground_hue root-pixmap 150
    ;;

  uncovered_window_is_redrawn)
    # Over a back buffer that keeps its pixels only what changed is presented; a window laid over
    # ours and taken away must leave the scene there again, not the black the server fills in.
    start_xvfb 1024x768
    convert -size 300x200 xc:'#ff00ff' "$work/cover.png" || fail "cannot make the picture"
    for method in copy-sub-buffer whole; do
      export VELMORA_PRESENT=$method
      start_velmora --window --background desktop --stats
      display -geometry +300+250 "$work/cover.png" &
      cover=$!
      pids+=($cover)
      sleep 2
      shot covered
      probe magenta "$work/covered.png" 300 250 300 200 0.9 >/dev/null || fail "no cover over the window"
      kill "$cover"; wait "$cover" 2>/dev/null
      sleep 1
      shot uncovered
      probe lit "$work/uncovered.png" 300 250 300 200 0.9 ||
        fail "$method: the uncovered part of the window stays black"
      probe magenta "$work/uncovered.png" 300 250 300 200 0.01 &&
        fail "$method: the cover is still shown"
      kill -TERM "$velmora_pid"; wait "$velmora_pid" 2>/dev/null
      grep -q "presented by $method" "$work/velmora.log" || fail "not presented by $method"
    done
    ;;

  *)
    echo "unknown test $case_name"; exit 2 ;;
esac
echo "PASSED: $case_name"
exit 0
