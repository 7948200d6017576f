#!/usr/bin/env bash
# Escape held down as the game starts, before its window is on screen, reaches
# the window only as the keyboard repeats it: the game goes on when it is let
# go, and Escape pressed afterwards ends it.
#   held_key_test.sh BUILD_DIR   (the folder holding clankora, sprites/ and sounds/)
set -euo pipefail

build=$(cd "$1" && pwd)
work=$(mktemp -d /tmp/clankora-held-XXXXXX)
. "$(dirname "$0")/../support/x11_game.sh"
holder=""
trap '[ -n "$holder" ] && kill "$holder" 2>/dev/null; stop_player; rm -rf "$work"' EXIT
on_fail() { cat "$work/game.log" >&2 || true; }

start_display
# The X server forgets which keys are down whenever its last client has gone:
# one stays connected throughout, as a desktop's own programs do.
xdotool sleep 600 &
holder=$!

mkdir "$work/game"
cp "$build/clankora" "$work/game/"
cp -r "$build/sprites" "$build/sounds" "$work/game/"

# Without a window manager the keys go to the window under the pointer: the
# window opens in the top left corner of the screen.
xdotool mousemove 200 200
step "Escape held, then the game started"
xdotool keydown Escape
sleep 0.3
(cd "$work/game" && SDL_AUDIODRIVER=dummy exec ./clankora >"$work/game.log" 2>&1) &
game_pid=$!
win=$(find_window '^Clankora!$') || fail "the game's window did not open"
# The keyboard repeats the held key about 25 times a second into the window.
sleep 1.5
xdotool keyup Escape
sleep 0.5
kill -0 "$game_pid" 2>/dev/null || fail "the game ended on an Escape held since before its window opened"
echo "the game goes on after Escape held as it opened"

step "Escape pressed in the window"
xdotool key Escape
wait_exit 5 || fail "Escape pressed in the window did not end the game"
[ "$game_status" -eq 0 ] || fail "the game ended with status $game_status"
echo "Escape pressed afterwards ends the game"
