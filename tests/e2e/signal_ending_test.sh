#!/usr/bin/env bash
# Asked to end by a signal (a logout, a kill), the game ends at once, even when
# its settings cannot be saved: the failure goes to the terminal, not to a box
# that waits for a player who is gone.
#   signal_ending_test.sh BUILD_DIR   (the folder holding clankora, sprites/ and sounds/)
set -euo pipefail

build=$(cd "$1" && pwd)
work=$(mktemp -d /tmp/clankora-ending-XXXXXX)
game_pid=""
trap '[ -n "$game_pid" ] && kill -9 "$game_pid" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; cat "$work/game.err" >&2 || true; exit 1; }

cp "$build/clankora" "$work/"
cp -r "$build/sprites" "$build/sounds" "$work/"
mkdir "$work/clankora.ini" # a folder where the settings file should be: every save fails

for signal in TERM HUP INT; do
  (cd "$work" && QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy exec ./clankora >/dev/null 2>"$work/game.err") &
  game_pid=$!
  sleep 1.5
  kill -0 "$game_pid" 2>/dev/null || fail "the game ended by itself"
  kill -s "$signal" "$game_pid"
  for _ in $(seq 1 10); do
    kill -0 "$game_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$game_pid" 2>/dev/null && fail "SIG$signal: the game still runs a second later"
  wait "$game_pid" || true
  game_pid=""
  grep -q "Unable to write to $work/clankora.ini" "$work/game.err" || fail "SIG$signal: the failed save was not told"
  echo "SIG$signal: ended within a second, the failed save told on stderr"
done
