#!/bin/sh
# Drives picbatch-conventions-demo on an X display with xdotool: moves the
# focus with Tab, Shift+Tab and the mnemonics, types into a box whose
# handler refuses letters, chooses formats with Alt+letter and the arrows,
# presses the default button with Enter, opens the menus through their
# mnemonics and walks them with the keyboard, fires the accelerators, asks
# for help with F1 and closes the window with Escape. Each step checks the
# status line the demo prints; screenshots of the display go to OUT.
#
#   tools/conventions-demo/try_under_xvfb.sh [BIN_DIR] [OUT_DIR]
#
# DISPLAY_NUMBER picks the display (default 93); an Xvfb is started on it
# when none answers. Exit status: 0 when every step saw its status line.
set -eu
BIN=${1:-build/bin}
OUT=${2:-out/conventions}
export DISPLAY=":${DISPLAY_NUMBER:-93}"
mkdir -p "$OUT"
STATUS="$OUT/status.txt"
failures=0

if ! xdpyinfo >/dev/null 2>&1; then
    Xvfb "$DISPLAY" -screen 0 1280x1024x24 >/dev/null 2>&1 &
    XVFB=$!
    trap 'kill "$XVFB" 2>/dev/null || true' EXIT
    sleep 1
fi

"$BIN/picbatch-conventions-demo" >"$STATUS" 2>"$OUT/stderr.txt" &
DEMO=$!
WINDOW=$(xdotool search --sync --name "keyboard and mouse conventions" | head -1)

# Without a window manager nobody gives the focus back when a pop-up
# window goes away: hand it to the demo's window before each step.
focus() { xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true; sleep 0.2; }
shot() { import -window root -crop 700x420+0+0 "$OUT/$1.png"; }
expect() {
    sleep 0.4
    if grep -qF "status: $1" "$STATUS"; then
        echo "ok    $2"
    else
        echo "FAIL  $2 (no \"status: $1\")"
        failures=$((failures + 1))
    fi
}

focus
shot 01-start
xdotool key Tab;                      expect "Focus: Quality" "Tab moves to the next unit"
xdotool key shift+Tab;                expect "Focus: Name" "Shift+Tab moves back"
xdotool type "harbour";               sleep 0.2
xdotool key alt+q;                    expect "Focus: Quality" "Alt+Q on a label focuses the box after it"
xdotool key BackSpace BackSpace x 9 0; expect "Quality takes digits only" "a character handler swallows a letter"
xdotool key Tab;                      expect "Focus: Jpeg" "the option group is one stop, at the chosen button"
xdotool key Right;                    expect "Format: Tiff" "Right chooses the next option button"
xdotool key alt+p;                    expect "Format: Png" "Alt+P chooses PNG"
xdotool key alt+k;                    expect "Keep folders: on" "Alt+K ticks the check box"
shot 02-form-filled
xdotool key Return;                   expect 'Convert: name="harbour" quality=90 format=PNG keep-folders=1' "Enter presses the default button"
xdotool key alt+f;                    sleep 0.4
shot 03-file-menu-by-alt-f
xdotool key Down Down Right;          sleep 0.4
shot 04-recent-files-by-arrows
xdotool key Down Return;              expect "Menu: 2 harbour.png" "Enter chooses from a nested pop-up"
focus
xdotool key alt+e;                    sleep 0.3
shot 05-edit-menu
xdotool key w;                        expect "Menu: Word wrap" "a letter chooses its menu item"
focus
xdotool key ctrl+o;                   expect "Accelerator: Open... (Ctrl+O)" "Ctrl+O fires its accelerator"
xdotool key ctrl+s;                   expect "Accelerator: Save (Ctrl+S)" "Ctrl+S fires its accelerator"
xdotool key F1;                       expect "Help: " "F1 asks the desktop's opener for the help file"
shot 06-status-after-keys
focus
xdotool key Escape
for _ in 1 2 3 4 5 6 7 8 9 10; do kill -0 "$DEMO" 2>/dev/null || break; sleep 0.3; done
if kill -0 "$DEMO" 2>/dev/null; then
    echo "FAIL  Escape closes the window"
    failures=$((failures + 1))
    kill "$DEMO"
else
    wait "$DEMO" && echo "ok    Escape closes the window (exit status 0)" ||
        { echo "FAIL  exit status $?"; failures=$((failures + 1)); }
fi
echo "$failures failed"
[ "$failures" -eq 0 ]
