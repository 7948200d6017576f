#!/usr/bin/env bash
# Asked to end by a signal (a logout, a kill), the game ends at once, even when
# its settings cannot be saved: the failure goes to the terminal, not to a box
# that waits for a player who is gone.
#   signal_ending_test.sh BUILD_DIR   (the folder holding clankora, sprites/ and sounds/)
set -euo pipefail

build=$(cd "$1" && pwd)
work=$(mktemp -d /tmp/clankora-ending-XXXXXX)
. "$(dirname "$0")/../support/x11_game.sh" # its waits; the game runs with no display here
trap '[ -n "$game_pid" ] && kill -9 "$game_pid" 2>/dev/null; rm -rf "$work"' EXIT
on_fail() { cat "$work/game.err" >&2 || true; }

cp "$build/clankora" "$work/"
cp -r "$build/sprites" "$build/sounds" "$work/"
mkdir "$work/clankora.ini" # a folder where the settings file should be: every save fails

# The game has taken over SIGHUP, SIGINT and SIGTERM (bits 0, 1 and 14 of the
# caught signals), which it does as its window opens. Until the shell that
# starts it has become the game, those are the shell's.
catches_signals() {
  local caught
  [ "$(cat /proc/"$game_pid"/comm 2>/dev/null)" = clankora ] || return 1
  caught=$(awk '/^SigCgt:/ { print $2 }' /proc/"$game_pid"/status 2>/dev/null) || return 1
  [ -n "$caught" ] && (( (16#$caught & 16#4003) == 16#4003 ))
}

for signal in TERM HUP INT; do
  (cd "$work" && QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy exec ./clankora >/dev/null 2>"$work/game.err") &
  game_pid=$!
  wait_until 60 catches_signals || { game_ended && fail "the game ended by itself"; fail "the game does not catch SIG$signal"; }
  kill -s "$signal" "$game_pid" 2>/dev/null || fail "the game ended by itself"
  sent=$(now_ms)
  # A game waiting for a player would not end at all; a busy machine may take a few seconds.
  wait_until 10 game_ended || fail "SIG$signal: the game still runs 10 s later"
  took=$(($(now_ms) - sent))
  wait "$game_pid" || true
  game_pid=""
  grep -q "Unable to write to $work/clankora.ini" "$work/game.err" || fail "SIG$signal: the failed save was not told"
  echo "SIG$signal: ended after $took ms, the failed save told on stderr"
done
