#!/usr/bin/env bash
# Drives velmora-settings under Xvfb with xdotool, from a folder of its own beside a stand-in
# saver that records the options of every preview it is started with, so the preview's restarts
# are checked whatever the real saver does; a last run shows the real saver's live preview.
# Usage: settings_dialog_test.sh PATH/TO/velmora-settings SCREENSHOT_FOLDER
set -uo pipefail

real_program=$1
shots=$2
skip() { echo "SKIPPED: $*"; exit 77; }
for tool in Xvfb xdotool import; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/install-deps.sh --test)"
done
[[ -x $real_program ]] || { echo "FAIL: $real_program was not built"; exit 1; }
real_saver="$(dirname "$real_program")/velmora"

work=$(mktemp -d /tmp/velmora-settings-test.XXXXXX)
program="$work/bin/velmora-settings"
mkdir "$work/bin" && cp "$real_program" "$program"
export PREVIEW_LOG="$work/previews.log"
printf '#!/bin/sh\nprintf "%%s\\n" "$*" >>"$PREVIEW_LOG"\nexec sleep 600\n' >"$work/bin/velmora"
chmod +x "$work/bin/velmora"
app="" xvfb="" window=""
cleanup() {
  for pid in $app $xvfb; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
check() {  # check DESCRIPTION COMMAND...
  if "${@:2}"; then echo "ok: $1"; else echo "FAIL: $1"; failures=$((failures + 1)); return 1; fi
}
# Retries a command for up to ten seconds (a busy machine may be slow to react).
eventually() { for _ in $(seq 50); do "$@" && return 0; sleep 0.2; done; "$@"; }

# -noreset: the server would otherwise reset whenever the dialog ends, refusing clients a while.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
eventually test -s "$work/display" || { cat "$work/xvfb.log"; skip "Xvfb did not start"; }
export DISPLAY=":$(head -n1 "$work/display")"
export XDG_CONFIG_HOME="$work/config" NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory
store="$XDG_CONFIG_HOME/velmora/VelmoraSaver.ini"
mkdir -p "$shots"

find_window() {  # TITLE: sets $found to its window
  found=$(xdotool search --all --pid "$app" --onlyvisible --name "^$1\$" 2>/dev/null | head -1) && [[ -n $found ]]
}
start_dialog() {
  "$program" >>"$work/app.log" 2>&1 &
  app=$!
  eventually find_window "Velmora Settings" || {
    echo "FAIL: the dialog did not appear on $DISPLAY"; cat "$work/app.log" "$work/xvfb.log"; exit 1
  }
  window=$found
  xdotool windowfocus --sync "$window"
  sleep 0.5
}
dialog_ended() { ! kill -0 "$app" 2>/dev/null; }
ended() { eventually dialog_ended && { wait "$app"; app=""; }; }
keys() { xdotool key --delay 80 "$@"; sleep 0.3; }
type_number() { keys "alt+$1" ctrl+a && xdotool type --delay 40 "$2"; }  # MNEMONIC VALUE
values() { for key in "$@"; do sed -n "s/^$key=//p" "$store"; done | paste -sd' '; }
shot() { import -window root "$shots/settings-$1.png"; }
# The preview child of the running dialog, and the options of the latest preview started.
previews() { pgrep -P "$app" || true; }
preview_is() { grep -Eq -- "^--preview --window-id [0-9]+ $1\$" <(tail -n 1 "$PREVIEW_LOG" 2>/dev/null); }

# First run: the defaults are shown, and nothing is written before Save.
start_dialog
check "the first preview shows the defaults" eventually preview_is "--cats 3 --cat-size 100 \
--footprints 1000 --background screen --resolution 1 --folder /usr/share/backgrounds/ --tile --all-monitors"
first_preview=$(previews)
check "the preview runs as the dialog's child" test -n "$first_preview"

# Every kind of control: spin buttons, check boxes, the two menus and the folder chooser.
for field in "c 2" "z 150" "f 500"; do type_number $field && keys Tab; done
keys alt+t alt+m alt+b Down Down
keys alt+r  # the resolution menu is disabled for pictures from a folder: focus stays put
# The chooser reaches the folder through a bookmark (Alt+1), as typing a path races with the
# location bar's completion.
mkdir -p "$work/my pictures" "$XDG_CONFIG_HOME/gtk-3.0"
echo "file://${work// /%20}/my%20pictures" >"$XDG_CONFIG_HOME/gtk-3.0/bookmarks"
keys alt+p
chooser="Select Folder To Load Random Background Images From"
if check "the folder chooser opens with its title" eventually find_window "$chooser"; then
  xdotool windowfocus --sync "$found"
  keys alt+1 && sleep 0.5 && shot folder-chooser
  keys alt+s
  check "the folder chooser closes" eventually bash -c "! xdotool search --onlyvisible --name '^$chooser\$'"
  xdotool windowfocus --sync "$window" && sleep 0.5  # focus returns once the chooser has gone
fi
check "the preview restarts with the new values" eventually preview_is "--cats 2 --cat-size 150 \
--footprints 500 --background folder --resolution 1 --folder $work/my pictures --no-tile --main-monitor-only"
sleep 0.5
changed_preview=$(previews)
check "one preview runs at a time, the old one ended" test "$(echo "$changed_preview" | wc -w)" = 1 \
  -a "$changed_preview" != "$first_preview" -a ! -e "/proc/$first_preview"
check "nothing was stored before Save" test ! -e "$store"
shot changed
keys alt+s
check "Save ends the dialog" ended
check "the saved values and folder are in the store" test "$(values version NumDogs DogSize \
NumFootprints TileBG MainMonitorOnly BGType BGRes BGPath)" = "1.01 2 150 500 false true 2 1 $work/my pictures"
check "the preview ends with the dialog" test ! -e "/proc/$changed_preview"

# Second run: saving again writes exactly what the controls show into a store emptied behind
# the dialog's back; the footprints are typed and saved at once, without leaving the field.
start_dialog
shot second-run
: >"$store"
type_number f 777
keys alt+s
check "the second run ends on Save" ended
check "the second run showed the saved values" test "$(values NumDogs DogSize TileBG \
MainMonitorOnly BGType BGRes BGPath)" = "2 150 false true 2 1 $work/my pictures"
check "a number typed just before Save is saved" test "$(values NumFootprints)" = 777

# Defaults then Cancel (Escape): nothing is stored, also in a store that is a link (as dotfiles
# managers make it) to a file with a line the dialog cannot parse.
mkdir -p "$work/dotfiles"
linked="$work/dotfiles/velmora.ini"
printf '[VelmoraSaver]\nversion=1.01\nNumDogs=1\nNumFootprints 7\nDogSize=300\nBGType=1\n' >"$linked"
ln -sf "$linked" "$store"
before=$(cat "$linked")
start_dialog
keys alt+d
shot defaults
keys Escape
check "Escape ends the dialog" ended
check "Defaults then Cancel leaves the store alone, with no backup" \
  test "$(cat "$linked")" = "$before" -a -L "$store" -a ! -e "$store.bad"
# Save writes the values read around the damaged line through the link; the damaged file is kept.
start_dialog
keys alt+s
check "Save through the link ends the dialog, the store still a link" eval 'ended && test -L "$store"'
check "the user's values survive the damaged line" test "$(values NumDogs DogSize BGType)" = "1 300 1"
check "the damaged file is kept as the backup" test "$(cat "$store.bad")" = "$before"

# A save that cannot be written is shown, and the dialog stays open with the change.
start_dialog
rm -rf "$XDG_CONFIG_HOME/velmora"
touch "$XDG_CONFIG_HOME/velmora"  # a file where the folder must be
type_number c 1 && keys Tab
keys alt+s && sleep 0.5 && shot save-failed
check "a failed save keeps the dialog open" kill -0 "$app"
xdotool windowfocus --sync "$window"
keys alt+a
check "Cancel after a failed save ends the dialog" ended

# The real saver drawing its live preview into the dialog, when it is built.
if [[ -x $real_saver ]]; then
  program=$real_program  # run from the build tree, where the saver finds its resources
  rm -rf "$XDG_CONFIG_HOME/velmora"
  # A magenta desktop: the preview's ground (the screen, by default) must show it, never
  # XScreenSaver's colour-bar test card.
  xsetroot -solid '#ff00ff'
  start_dialog && sleep 4 && shot live-preview
  live="$shots/settings-live-preview.png"
  check "the real saver keeps running as the preview" test -n "$(previews)"
  if [[ -x ${PROBE:-} ]]; then
    read -r wx wy < <(xwininfo -id "$window" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} END {print x, y}')
    # The preview fills the 320 x 240 area at the window's top left, inside its frame.
    check "the preview shows the screen" "$PROBE" magenta "$live" $((wx + 20)) $((wy + 30)) 300 200 0.2
    check "the preview never shows the test card" \
      bash -c '! "$0" hue "$1" "$2" "$3" 300 200 180 0.01' "$PROBE" "$live" $((wx + 20)) $((wy + 30))
  fi
  keys alt+a
  check "the dialog with a live preview ends on Cancel" ended
else
  echo "note: $real_saver is not built; no screenshot of a live preview"
fi

((failures)) && { echo "--- velmora-settings output"; cat "$work/app.log"; exit 1; }
echo "all checks passed; screenshots in $shots"
