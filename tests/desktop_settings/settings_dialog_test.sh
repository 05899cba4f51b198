#!/usr/bin/env bash
# Drives velmora-settings under Xvfb with xdotool: first run, changing every kind of control,
# choosing a folder, saving, a second run showing the saved values, Defaults then Cancel storing
# nothing (also for a linked store with a line it cannot parse, which Save then writes through
# the link, keeping the damaged file as the backup), and a save that fails being reported while
# the dialog stays open.
# The dialog runs from a folder of its own beside a stand-in saver that records the options of
# every preview it is started with, so the preview's restarts are checked whatever the real
# saver does. When the real saver is built, a last run takes a screenshot of its live preview.
# Usage: settings_dialog_test.sh PATH/TO/velmora-settings SCREENSHOT_FOLDER
set -uo pipefail

program=$1
shots=$2
skip() { echo "SKIPPED: $*"; exit 77; }
for tool in Xvfb xdotool import; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/install-deps.sh --test)"
done
[[ -x $program ]] || { echo "FAIL: $program was not built"; exit 1; }
real_program=$program
real_saver="$(dirname "$program")/velmora"

work=$(mktemp -d /tmp/velmora-settings-test.XXXXXX)
mkdir "$work/bin"
cp "$program" "$work/bin/velmora-settings"
program="$work/bin/velmora-settings"
export PREVIEW_LOG="$work/previews.log"
cat >"$work/bin/velmora" <<'SAVER'
#!/bin/sh
printf '%s\n' "$*" >>"$PREVIEW_LOG"
exec sleep 600
SAVER
chmod +x "$work/bin/velmora"
app=""
xvfb=""
cleanup() {
  [[ -n $app ]] && kill "$app" 2>/dev/null && wait "$app" 2>/dev/null
  [[ -n $xvfb ]] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAIL: $what"; failures=$((failures + 1)); fi
}

# A display of our own, on a number well above the ones people and other tests pick by hand.
number=""
for _ in $(seq 20); do
  candidate=$((RANDOM % 800 + 150))
  [[ -e /tmp/.X$candidate-lock || -e /tmp/.X11-unix/X$candidate ]] && continue
  # -noreset: the server would otherwise reset whenever the dialog ends, refusing clients a while.
  Xvfb ":$candidate" -screen 0 1024x768x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
  xvfb=$!
  for _ in $(seq 50); do
    [[ -S /tmp/.X11-unix/X$candidate ]] && break
    kill -0 "$xvfb" 2>/dev/null || break
    sleep 0.2
  done
  if kill -0 "$xvfb" 2>/dev/null && [[ -S /tmp/.X11-unix/X$candidate ]]; then
    number=$candidate
    break
  fi
  kill "$xvfb" 2>/dev/null
  wait "$xvfb" 2>/dev/null
  xvfb=""
done
[[ -n $number ]] || { cat "$work/xvfb.log"; skip "Xvfb did not start"; }
export DISPLAY=":$number"
export XDG_CONFIG_HOME="$work/config" NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory
store="$XDG_CONFIG_HOME/velmora/VelmoraSaver.ini"
mkdir -p "$shots"

window=""
start_dialog() {
  "$program" >>"$work/app.log" 2>&1 &
  app=$!
  for _ in $(seq 100); do
    window=$(xdotool search --all --pid "$app" --onlyvisible --name '^Velmora Settings$' 2>/dev/null |
      head -1)
    [[ -n $window ]] && break
    sleep 0.2
  done
  if [[ -z $window ]]; then
    echo "FAIL: the dialog did not appear on $DISPLAY"
    kill -0 "$xvfb" 2>/dev/null || echo "(the X server has ended)"
    cat "$work/app.log" "$work/xvfb.log"
    exit 1
  fi
  xdotool windowfocus --sync "$window"
  sleep 0.5
}
# Retries a command for up to ten seconds (a busy machine may be slow to react); true once it
# succeeds.
eventually() {
  for _ in $(seq 50); do
    "$@" && return 0
    sleep 0.2
  done
  "$@"
}
# Waits for the dialog to end by itself; true when it did.
ended() {
  for _ in $(seq 50); do
    kill -0 "$app" 2>/dev/null || { wait "$app"; app=""; return 0; }
    sleep 0.2
  done
  return 1
}
keys() { xdotool key --delay 80 "$@"; sleep 0.3; }
set_number() {  # set_number MNEMONIC VALUE
  keys "alt+$1" ctrl+a
  xdotool type --delay 40 "$2"
  keys Tab
}
value() { sed -n "s/^$1=//p" "$store"; }
# The preview child of the running dialog, and the options of the latest preview started.
previews() { pgrep -P "$app" || true; }
last_preview() { tail -n 1 "$PREVIEW_LOG" 2>/dev/null; }
# Waits until `count` previews have been started.
previews_started() {
  for _ in $(seq 50); do
    (($(wc -l <"$PREVIEW_LOG" 2>/dev/null || echo 0) >= $1)) && return 0
    sleep 0.2
  done
  return 1
}

# First run: the defaults are shown, and nothing is written before Save.
start_dialog
check "the first run writes nothing before Save" test ! -e "$store"
check "a preview starts" previews_started 1
check "the first preview shows the defaults" grep -Eq -- "^--preview --window-id [0-9]+ --cats 3 \
--size 100 --footprints 1000 --background screen --tile --resolution 1 --folder /usr/share/backgrounds/$" \
  <(last_preview)
first_preview=$(previews)
check "the preview runs as the dialog's child" test -n "$first_preview"

# Every kind of control: spin buttons, check boxes, the two menus and the folder chooser.
set_number c 2
set_number z 150
set_number f 500
keys alt+t alt+m
keys alt+b Down Down
keys alt+r  # the resolution menu is disabled for pictures from a folder: focus stays put
# The chooser reaches the folder through a bookmark (Alt+1), as typing a path races with the
# location bar's completion.
mkdir -p "$work/my pictures" "$XDG_CONFIG_HOME/gtk-3.0"
echo "file://${work// /%20}/my%20pictures" >"$XDG_CONFIG_HOME/gtk-3.0/bookmarks"
keys alt+p
chooser_open() {
  chooser=$(xdotool search --all --pid "$app" --onlyvisible --name \
    '^Select Folder To Load Random Background Images From$' 2>/dev/null | head -1)
  [[ -n $chooser ]]
}
chooser_gone() { ! chooser_open; }
check "the folder chooser opens with its title" eventually chooser_open
if [[ -n $chooser ]]; then
  xdotool windowfocus --sync "$chooser"
  keys alt+1
  sleep 0.5
  import -window root "$shots/settings-folder-chooser.png"
  keys alt+s
  check "the folder chooser closes" eventually chooser_gone
  # Focus returns to the dialog only once the chooser has gone.
  xdotool windowfocus --sync "$window"
  sleep 0.5
fi
newest_preview_shows_changes() {
  grep -Eq -- "^--preview --window-id [0-9]+ --cats 2 --size 150 --footprints 500 \
--background folder --no-tile --resolution 1 --folder $work/my pictures --main-monitor-only$" \
    <(last_preview)
}
check "the preview restarts with the new values" eventually newest_preview_shows_changes
sleep 0.5
changed_preview=$(previews)
check "one preview runs at a time" test "$(echo "$changed_preview" | wc -w)" = 1
check "the old preview was ended" test "$changed_preview" != "$first_preview" -a \
  ! -e "/proc/$first_preview"
check "nothing was stored before Save" test ! -e "$store"
import -window root "$shots/settings-changed.png"
keys alt+s
check "Save ends the dialog" ended
check "the saved values are in the store" test "$(value version) $(value NumDogs) \
$(value DogSize) $(value NumFootprints) $(value TileBG) $(value MainMonitorOnly) $(value BGType) \
$(value BGRes)" = "1.01 2 150 500 false true 2 1"
check "the chosen folder is in the store" test "$(value BGPath)" = "$work/my pictures"
check "the preview ends with the dialog" test ! -e "/proc/$changed_preview"

# Second run: the dialog shows what was saved. Saving again writes exactly what the controls
# show into a store emptied behind the dialog's back; the footprints are typed and saved at once,
# without leaving the field first.
start_dialog
import -window root "$shots/settings-second-run.png"
: >"$store"
keys alt+f ctrl+a
xdotool type --delay 40 777
keys alt+s
check "the second run ends on Save" ended
check "the second run showed the saved values" test "$(value NumDogs) $(value DogSize) \
$(value TileBG) $(value MainMonitorOnly) $(value BGType) $(value BGRes)" = "2 150 false true 2 1"
check "a number typed just before Save is saved" test "$(value NumFootprints)" = 777
check "the second run showed the saved folder" test "$(value BGPath)" = "$work/my pictures"

# Defaults then Cancel (Escape): nothing is stored, also in a store that is a link (as dotfiles
# managers make it) to a file with a line the dialog cannot parse.
mkdir -p "$work/dotfiles"
linked="$work/dotfiles/velmora.ini"
printf '[VelmoraSaver]\nversion=1.01\nNumDogs=1\nNumFootprints 7\nDogSize=300\nBGType=1\n' >"$linked"
ln -sf "$linked" "$store"
before=$(cat "$linked")
start_dialog
import -window root "$shots/settings-damaged-store.png"
keys alt+d
import -window root "$shots/settings-defaults.png"
keys Escape
check "Escape ends the dialog" ended
check "Defaults then Cancel leaves the store alone" test "$(cat "$linked")" = "$before" -a -L "$store"
check "no backup is made without a save" test ! -e "$store.bad"
# Save writes the values read around the damaged line through the link; the damaged file is kept.
start_dialog
keys alt+s
check "Save through the link ends the dialog" ended
check "the store is still a link" test -L "$store"
check "the user's values survive the damaged line" test "$(value NumDogs) $(value DogSize) \
$(value BGType)" = "1 300 1"
check "the damaged file is kept as the backup" test "$(cat "$store.bad")" = "$before"

# A save that cannot be written is shown, and the dialog stays open with the change.
start_dialog
rm -rf "$XDG_CONFIG_HOME/velmora"
touch "$XDG_CONFIG_HOME/velmora"  # a file where the folder must be
set_number c 1
keys alt+s
sleep 0.5
import -window root "$shots/settings-save-failed.png"
check "a failed save keeps the dialog open" kill -0 "$app"
xdotool windowfocus --sync "$window"
keys alt+a
check "Cancel after a failed save ends the dialog" ended

# The real saver drawing its live preview into the dialog, when it is built.
if [[ -x $real_saver ]]; then
  # Run from the build tree, where the saver finds its resources.
  program=$real_program
  rm -rf "$XDG_CONFIG_HOME/velmora"
  # A magenta desktop: the preview's ground (the screen, by default) must show it, never
  # XScreenSaver's colour-bar test card.
  xsetroot -solid '#ff00ff'
  start_dialog
  sleep 4
  import -window root "$shots/settings-live-preview.png"
  check "the real saver keeps running as the preview" test -n "$(previews)"
  if [[ -x ${PROBE:-} ]]; then
    area=$(xdotool search --all --pid "$app" --onlyvisible --name '^Velmora Settings$' | head -1)
    read -r wx wy < <(xwininfo -id "$area" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} END {print x, y}')
    # The preview fills the 320 x 240 area at the window's top left, inside its frame.
    check "the preview shows the screen" "$PROBE" magenta "$shots/settings-live-preview.png" \
      $((wx + 20)) $((wy + 30)) 300 200 0.2
    check "the preview never shows the test card" \
      bash -c '! "$0" hue "$1" "$2" "$3" 300 200 180 0.01' "$PROBE" \
      "$shots/settings-live-preview.png" $((wx + 20)) $((wy + 30))
  fi
  keys alt+a
  check "the dialog with a live preview ends on Cancel" ended
else
  echo "note: $real_saver is not built; no screenshot of a live preview"
fi

if ((failures)); then
  echo "--- velmora-settings output"
  cat "$work/app.log"
  exit 1
fi
echo "all checks passed; screenshots in $shots"
