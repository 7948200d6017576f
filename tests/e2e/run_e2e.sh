#!/usr/bin/env bash
# Plays the real program under Xvfb with xdotool, as a player would, and checks
# what it shows and what it saves.
#   run_e2e.sh BUILD_DIR   (the folder holding clankora, sprites/ and sounds/)
set -euo pipefail

build=$(cd "$1" && pwd)
work=$(mktemp -d /tmp/clankora-e2e-XXXXXX)
. "$(dirname "$0")/../support/x11_game.sh"
trap 'stop_player; rm -rf "$work"' EXIT

# The screenshots taken so far, kept where E2E_SHOTS says when a step fails.
on_fail() { [ -n "${E2E_SHOTS:-}" ] && [ -d "$work/shots" ] && cp -r "$work/shots/." "$E2E_SHOTS/" || true; }

start_display

install_game() { # DIR: the game as installed: the program with its folders beside it
  mkdir -p "$1"
  cp "$build/clankora" "$1/"
  cp -r "$build/sprites" "$build/sounds" "$1/"
}

start_game() { # DIR
  (cd "$1" && QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/audio.raw" \
     exec ./clankora >"$work/game.log" 2>&1) &
  game_pid=$!
}

# xdotool complains about the focus on a display without a window manager; the keys arrive all the same.
# The rest after them is a hand's pace between presses, not a wait for what they do.
key() { xdotool key --window "$win" "$@" 2>/dev/null || true; sleep 0.25; }

shot() { # NAME: the game's picture, cut out of the whole screen
  mkdir -p "$work/shots"
  shot_picture "$win" "$work/shots/$1.png"
}

differing() { pixels_differing "$1" "$2"; }

# SHOT PICTURE WHAT: the screenshot shows the picture (within a few pixels), or it does not.
expect_same() {
  local d; d=$(differing "$work/shots/$1.png" "$2")
  [ "$d" -lt 50 ] || fail "$3 ($d pixels differ)"
}
expect_different() {
  local d; d=$(differing "$work/shots/$1.png" "$2")
  [ "$d" -gt 50000 ] || fail "$3 (only $d pixels differ)"
}

# SHOT: the left edge of the robot standing on the yard's floor, in pixels:
# where its picture fits the band above the floor best.
robot_x() {
  "$convert" "$work/shots/$1.png" -crop 640x72+0+376 +repage "$work/band.png"
  { "$compare" -metric RMSE -subimage-search "$work/band.png" "$game/sprites/robot/robot_front_stay.png" null: 2>&1 || true; } |
    sed -n 's/.*@ \([0-9]*\),.*/\1/p'
}
walked_left_of() { # X NAME: the robot, pictured as NAME, stands two cells or more left of X
  local at
  shot "$2" && at=$(robot_x "$2") && [ -n "$at" ] && [ "$at" -le $(($1 - 64)) ]
}
# NAME: plays on for a moment, then the robot is pictured paused before and
# after four presses of A; fails unless it went left at least two cells.
expect_walks_left_with_a() {
  key space
  sleep 0.3 # the moment of play
  key Pause
  wait_for_paused "$win" 30 || fail "Pause showed no paused text"
  shot "$1-before"
  key Pause
  wait_for_resumed "$win" "$work/shots/$1-before.png" 30 || fail "Pause again did not play on"
  key a a a a
  local from to
  from=$(robot_x "$1-before")
  [ -n "$from" ] || fail "no robot on the yard's floor"
  # It walks a cell at a time: the robot is looked at until it has gone two.
  wait_until 30 walked_left_of "$from" "$1-walking" || true
  key Pause
  wait_for_paused "$win" 30 || fail "Pause showed no paused text"
  shot "$1-after"
  to=$(robot_x "$1-after")
  [ -n "$to" ] && [ "$to" -le $((from - 64)) ] ||
    fail "A did not walk the robot left (from x=$from to x=$to)"
}

# --- A whole session -------------------------------------------------------
game="$work/game"
install_game "$game"
start_game "$game"
win=$(find_window '^Clankora!$') || { cat "$work/game.log"; fail "the main window did not open"; }

step "the desktop knows the window as clankora and has its icon"
xprop -id "$win" WM_CLASS | grep -q '"clankora", "clankora"' || { xprop -id "$win" WM_CLASS; fail "the window class is not clankora"; }
# grep reads all of xprop's long output, so that xprop does not die of a closed pipe.
xprop -id "$win" _NET_WM_ICON | grep 'Icon (16 x 16)' >/dev/null || fail "the window carries no 16-pixel icon"

step "start screen"
wait_for_picture "$win" "$game/sprites/1st_screen.png" 30 || true # the check below tells what it shows
shot start
expect_same start "$game/sprites/1st_screen.png" "the start screen is not 1st_screen.png"

step "Space plays, the arrows move"
key space
wait_for_picture_change "$win" "$work/shots/start.png" 30 || true # the check below tells how far
key Left Left Up
shot running
expect_different running "$work/shots/start.png" "the running yard looks like the start screen"

step "Pause shows the paused text; Pause again resumes"
key Pause
wait_for_paused "$win" 30 || true # the check below counts the text
shot paused
text=$(paused_text_pixels "$work/shots/paused.png")
[ "$text" -gt 60 ] || fail "no paused text in the middle ($text pixels of its yellow)"
sleep 0.5 # the time in which nothing may move
shot paused-still
expect_same paused-still "$work/shots/paused.png" "the picture changed while paused"
key Pause
wait_for_resumed "$win" "$work/shots/paused.png" 30 || true # the check below counts what is left
shot resumed
kept=$(paused_text_pixels_kept "$work/shots/paused.png" "$work/shots/resumed.png")
[ "$kept" -lt $((text / 4)) ] || fail "still paused after Pause again ($kept of $text text pixels remain)"

step "F1 shows help, Space resumes"
key F1
wait_for_picture "$win" "$game/sprites/help_screen.png" 30 || true
shot help
expect_same help "$game/sprites/help_screen.png" "F1 did not show the help screen"
key space
wait_for_picture_change "$win" "$work/shots/help.png" 30 || true
shot after-help
expect_different after-help "$game/sprites/help_screen.png" "Space did not leave the help screen"

step "keypad + and -, F5 back to the start screen"
key KP_Add KP_Add KP_Subtract
key F5
wait_for_picture "$win" "$game/sprites/1st_screen.png" 30 || true
shot new-game
expect_same new-game "$game/sprites/1st_screen.png" "F5 did not show the start screen"

step "F7 opens the settings; the level goes up by two"
key F7
dlg=$(find_window '^Settings$') || fail "the settings dialog did not open"
# The keys reach the dialog in turn; the level they leave is checked in the saved settings.
xdotool key --window "$dlg" Up Up 2>/dev/null
key_closing "$dlg" Return
wait_for_window_gone '^Settings$' 30 || fail "the settings dialog did not close"

step "F6 opens the controls; Left becomes A"
key F6
ctl=$(find_window '^Controls$') || fail "the controls dialog did not open"
# The first cell is Left's key: Enter makes it wait, A is the new key, Escape closes.
shot_window_picture "$ctl" "$work/controls.png"
xdotool key --window "$ctl" Return 2>/dev/null
wait_for_picture_change "$ctl" "$work/controls.png" 30 || fail "Enter did not make Left's key wait"
shot_window_picture "$ctl" "$work/controls-waiting.png"
xdotool key --window "$ctl" a 2>/dev/null
wait_for_picture_change "$ctl" "$work/controls-waiting.png" 30 || fail "A was not taken for Left"
key_closing "$ctl" Escape
wait_for_window_gone '^Controls$' 30 || fail "the controls dialog did not close"

step "Escape ends the program and the settings are saved"
key_closing "$win" Escape
wait_exit 30 || fail "the program did not end on Escape"
[ "$game_status" -eq 0 ] || fail "Escape ended the program with exit code $game_status"
ini="$game/clankora.ini"
[ -f "$ini" ] || fail "no settings file was written"
grep -qx 'StartLevel=7' "$ini" || { cat "$ini"; fail "the start level was not saved as 7"; }
grep -q '^Top=' "$ini" && grep -q '^Left=' "$ini" && grep -q '^SoundOn=' "$ini" && \
  grep -q '^TrashGeneratorAlgorythmIndex=' "$ini" || { cat "$ini"; fail "a setting is missing"; }
head -n 1 "$ini" | grep -qx '\[Tinvell: 01h\]' || fail "the section is not named after the application"
sed -n '/^\[Keys\]$/,$p' "$ini" | grep -qx 'Left=A' || { cat "$ini"; fail "Left=A is not kept in [Keys]"; }

# --- Ended by the system --------------------------------------------------
step "the next start walks with A; SIGTERM closes the game and keeps the settings"
sed -i 's/^StartLevel=.*/StartLevel=3/' "$ini"
start_game "$game"
win=$(find_window '^Clankora!$') || { cat "$work/game.log"; fail "the main window did not open again"; }
# The keys chosen in the last run are the game's from its start.
expect_walks_left_with_a next-start-walk
kill -TERM "$game_pid" || { cat "$work/game.log"; fail "the game had ended before SIGTERM"; }
wait_exit 30 || fail "the program ignored SIGTERM"
grep -qx 'StartLevel=3' "$ini" || fail "the settings were not written on SIGTERM"

step "SIGHUP (the terminal closed) closes the game and keeps the settings"
sed -i -e 's/^StartLevel=.*/StartLevel=6/' -e '/^Top=/d' "$ini"
start_game "$game"
win=$(find_window '^Clankora!$') || { cat "$work/game.log"; fail "the main window did not open again"; }
kill -HUP "$game_pid"
wait_exit 30 || fail "the program ignored SIGHUP"
[ "$game_status" -eq 0 ] || fail "the program ended with exit code $game_status on SIGHUP"
grep -qx 'StartLevel=6' "$ini" && grep -q '^Top=' "$ini" || fail "the settings were not written on SIGHUP"

step "a lost display ends the game, and the settings are saved first"
lost="$work/lost"
install_game "$lost"
printf '[Tinvell: 01h]\nStartLevel=4\n' > "$lost/clankora.ini"
main_display=$DISPLAY main_xvfb=$xvfb_pid
start_display
lost_xvfb=$xvfb_pid xvfb_pid=$main_xvfb
start_game "$lost"
find_window '^Clankora!$' >/dev/null || { kill "$lost_xvfb"; cat "$work/game.log"; fail "the window did not open on the second display"; }
kill "$lost_xvfb"
wait "$lost_xvfb" 2>/dev/null || true
export DISPLAY=$main_display
wait_exit 30 || fail "the program did not end when its display went away"
grep -q '^TrashGeneratorAlgorythmIndex=' "$lost/clankora.ini" && grep -q '^SoundOn=' "$lost/clankora.ini" &&
  grep -qx 'StartLevel=4' "$lost/clankora.ini" || { cat "$lost/clankora.ini"; fail "the settings were not saved when the display went away"; }

# --- Damaged files --------------------------------------------------------
step "a start screen of the wrong size: the message, then the end"
bad="$work/bad"
install_game "$bad"
printf 'x' >> "$bad/sprites/1st_screen.png"
start_game "$bad"
box=$(find_window '^Tinvell: 01h$') || { cat "$work/game.log"; fail "no message about damaged files"; }
win=$box
shot damaged
xdotool search --onlyvisible --name '^Clankora!$' >/dev/null 2>&1 && fail "the game window opened with damaged files"
key_closing "$box" Return
wait_exit 30 || fail "the program did not end after the damaged-files message"
[ "$game_status" -eq 1 ] || fail "damaged files ended the program with exit code $game_status, not 1"

# NAME: plays with --record into $work/NAME.rec (in rec), its output in
# $work/NAME.out and .err; sets game_pid and win.
start_recording() {
  rec="$work/$1.rec"
  (cd "$game" && QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy exec ./clankora --record "$rec" \
     >"$work/$1.out" 2>"$work/$1.err") &
  game_pid=$!
  win=$(find_window '^Clankora!$') || { cat "$work/$1.err"; fail "the recording run opened no window"; }
}

# --- Recording and replay --------------------------------------------------
step "a game recorded with --record replays to the same end, with and without a window"
start_recording game
# The rests between the keys are the game played: whatever they come to, the
# replay must end where the recording run did.
key space
sleep 1
key Left Left Up
sleep 0.5
key KP_Add Right space
sleep 0.5
key Pause
key Pause
sleep 1
key Right Up
# Keys that come together: a quick hand's, with no pause between them, and
# those typed while the machine stood still, which all arrive at once.
xdotool key --window "$win" --delay 0 Left Up Right Left 2>/dev/null || true
kill -STOP "$game_pid"
xdotool key --window "$win" --delay 0 Right Up space Left Down 2>/dev/null || true
sleep 1
kill -CONT "$game_pid"
sleep 0.5
# Zoom and full screen are recorded too; verifying them prints nothing.
key ctrl+plus F11
key F11 ctrl+minus
sleep 0.5
kill -TERM "$game_pid"
wait_exit 30 || fail "the recording run ignored SIGTERM"
recorded=$(tail -n 1 "$work/game.out")
echo "recorded: $recorded"
[ -s "$rec" ] || fail "no recording was written"
echo "$recorded" | grep -qE '^(won|lost|quit), [0-9]+ ticks, [0-9]+ lives, level [0-9]+, yard [0-9a-f]{16}$' ||
  fail "the recording run printed no outcome line"
echo "$recorded" | grep -q '^quit, 0 ticks' && fail "nothing was played while recording"
verified=$(cd "$game" && timeout 60 ./clankora --replay "$rec" --verify 2>"$work/verify.err") ||
  { cat "$work/verify.err"; fail "--replay --verify did not succeed"; }
[ "$verified" = "$recorded" ] || fail "--verify reports '$verified', the recording run '$recorded'"
[ -s "$work/verify.err" ] && { cat "$work/verify.err"; fail "--verify printed more than its line"; }
(cd "$game" && QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy exec ./clankora --replay "$rec" \
   >"$work/replay.out" 2>"$work/replay.err") &
game_pid=$!
win=$(find_window '^Clankora!$') || { cat "$work/replay.err"; fail "the replay opened no window"; }
wait_exit 90 || fail "the replay in the window did not end by itself"
[ "$(tail -n 1 "$work/replay.out")" = "$recorded" ] || fail "the replay in the window ended elsewhere"

step "a recording cut inside its header is refused with a message, and nothing is played"
head -c 24 "$rec" >"$work/cut.rec"
if (cd "$game" && timeout 20 ./clankora --replay "$work/cut.rec" --verify >"$work/cut.out" 2>"$work/cut.err"); then
  fail "a cut recording was accepted"
fi
grep -q "cut.rec\": it is cut short" "$work/cut.err" || { cat "$work/cut.err"; fail "no clear message about the cut file"; }
[ -s "$work/cut.out" ] && fail "a cut recording printed an outcome"

step "a recording whose game was killed replays up to where it was written, and says it ends early"
start_recording killed
key space
for _ in 1 2 3 4; do key Left Up; sleep 0.3; key Right; sleep 0.3; done # the game played
# The recording's blocks reach the disk every two seconds: the next one holds the keys.
wait_for_file_past "$rec" "$(file_size "$rec")" 30 || fail "the recording was not written on after the keys"
kill -KILL "$game_pid"
wait_exit 30 || fail "the recording run outlived SIGKILL"
[ -s "$rec" ] || fail "a killed game left no recording"
for run in 1 2; do
  if (cd "$game" && timeout 60 ./clankora --replay "$rec" --verify >"$work/killed-$run.out" 2>"$work/killed.err"); then
    fail "--verify of a recording that ends early exited with 0"
  fi
done
grep -qE '^(won|lost|quit), [0-9]+ ticks, [0-9]+ lives, level [0-9]+, yard [0-9a-f]{16} \(cut short\)$' \
  "$work/killed-1.out" || { cat "$work/killed-1.out" "$work/killed.err"; fail "no outcome line marked as cut short"; }
grep -q '^quit, 0 ticks' "$work/killed-1.out" && fail "nothing of the killed game was replayed"
cmp -s "$work/killed-1.out" "$work/killed-2.out" || fail "two replays of the killed game ended apart"
grep -q 'killed.rec" ends early (it was cut short)' "$work/killed.err" ||
  { cat "$work/killed.err"; fail "the replay did not say that the recording ends early"; }

# --- How fast ---------------------------------------------------------------
step "measuring: start to first picture, the main loop's pace, processor use"
(cd "$game" && QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy timeout 60 ./clankora --measure 4 2>/dev/null) \
  | tee "$work/measure.txt"
grep -q 'passes per second' "$work/measure.txt" || fail "the measuring run printed nothing"
cpu=$(sed -n 's/^cpu: \([0-9.]*\) % of one core while playing.*/\1/p' "$work/measure.txt")
[ -n "$cpu" ] || fail "the measuring run printed no processor use while playing"
# E2E_CPU_LIMIT (percent of one core) is set for the ordinary build only: a
# sanitizer build is many times slower. The bound is loose for a shared machine.
if [ -n "${E2E_CPU_LIMIT:-}" ]; then
  awk -v c="$cpu" -v l="$E2E_CPU_LIMIT" 'BEGIN { exit !(c <= l) }' ||
    fail "the game used $cpu % of a core while playing (more than $E2E_CPU_LIMIT %)"
fi

# --- A full-HD screen: zoom and full screen ---------------------------------
step "a 1920 x 1080 screen: the first start takes the largest zoom that fits, 2x"
stop_player
start_display 1920x1080

window_size() { local at; at=$(window_geometry "$win"); echo "${at%%+*}"; }
shot_window() { # NAME: the whole window, at whatever size it has
  mkdir -p "$work/shots"
  shot_window_picture "$win" "$work/shots/$1.png"
}
shot_screen() { mkdir -p "$work/shots"; xwd -root -silent | "$convert" xwd:- "$work/shots/$1.png"; }
# SHOT PICTURE WHAT: identical pixels
expect_identical() {
  local d; d=$(differing "$work/shots/$1.png" "$2")
  [ "$d" -eq 0 ] || fail "$3 ($d pixels differ)"
}

zoomed="$work/zoomed"
install_game "$zoomed"
# Full screen at whole factors only, as it was before it fitted the screen's shape.
printf '[Tinvell: 01h]\nFullScreenFit=0\n' > "$zoomed/clankora.ini"
start_game "$zoomed"
win=$(find_window '^Clankora!$') || { cat "$work/game.log"; fail "the main window did not open on the large screen"; }
wait_for_window_size "$win" 1280x960 30 || true # the check below tells the size
[ "$(window_size)" = 1280x960 ] || fail "the first start on 1920 x 1080 is $(window_size), not 2x"

step "Ctrl+Minus: 1x; Ctrl+Plus: 1280 x 960 showing the 1x picture with every pixel doubled"
key ctrl+minus
wait_for_window_size "$win" 640x480 30 || true
[ "$(window_size)" = 640x480 ] || fail "Ctrl+Minus gave a window of $(window_size)"
wait_for_picture "$win" "$zoomed/sprites/1st_screen.png" 30 || true
shot_window zoom1
expect_same zoom1 "$zoomed/sprites/1st_screen.png" "the 1x window does not show the start screen"
key ctrl+plus
wait_for_window_size "$win" 1280x960 30 || true
[ "$(window_size)" = 1280x960 ] || fail "Ctrl+Plus gave a window of $(window_size)"
"$convert" "$work/shots/zoom1.png" -sample 200% "$work/zoom1-doubled.png"
wait_for_picture "$win" "$work/zoom1-doubled.png" 30 0 || true
shot_window zoom2
expect_identical zoom2 "$work/zoom1-doubled.png" "the 2x picture is not the 1x one scaled by nearest neighbour"

step "F11 fills the screen, the picture centred at the largest factor on black; F11 leaves"
key F11
wait_for_window_size "$win" 1920x1080+0+0 30 || true
[ "$(window_geometry "$win")" = "1920x1080+0+0" ] || fail "full screen is $(window_geometry "$win")"
"$convert" "$work/shots/zoom1.png" -sample 200% -background black -gravity center -extent 1920x1080 \
  "$work/full-expected.png"
wait_for_picture "$win" "$work/full-expected.png" 30 0 || true
shot_screen full
expect_identical full "$work/full-expected.png" "full screen is not the 2x picture centred on black"
key F11
wait_for_window_size "$win" 1280x960 30 || true
[ "$(window_size)" = 1280x960 ] || fail "leaving full screen gave a window of $(window_size)"
key F11
# The game is in full screen before it is asked to end.
wait_for_window_size "$win" 1920x1080+0+0 30 || fail "F11 did not fill the screen again"

step "ending in full screen: Zoom and FullScreen are kept after the other settings, FullScreenFit as it was, then Animation"
kill -TERM "$game_pid"
wait_exit 30 || fail "the program did not end on SIGTERM"
ini="$zoomed/clankora.ini"
grep -qx 'Zoom=2' "$ini" && grep -qx 'FullScreen=1' "$ini" && grep -qx 'FullScreenFit=0' "$ini" ||
  { cat "$ini"; fail "Zoom, FullScreen and FullScreenFit were not saved"; }
# FullScreenFit stood first in the file before the start: it keeps its line.
[ "$(grep -o '^[A-Za-z]*' "$ini" | tail -n 3 | tr '\n' ' ')" = "Zoom FullScreen Animation " ] ||
  { cat "$ini"; fail "Zoom, FullScreen and Animation are not written after the other keys"; }

step "measuring at 2x in full screen and in a window"
for mode in 1 0; do
  sed -i "s/^FullScreen=.*/FullScreen=$mode/" "$ini"
  (cd "$zoomed" && QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy timeout 60 ./clankora --measure 3 2>/dev/null) \
    | sed "s/^/[$([ $mode = 1 ] && echo 'full screen 2x' || echo 'window 2x')] /" | tee -a "$work/measure.txt"
done
[ "$(grep -c 'passes per second' "$work/measure.txt")" -ge 3 ] || fail "the measuring runs at 2x printed nothing"

# E2E_SHOTS=DIR keeps the screenshots for a look.
[ -n "${E2E_SHOTS:-}" ] && cp -r "$work/shots/." "$E2E_SHOTS/"
echo "e2e: all steps passed"
