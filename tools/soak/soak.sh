#!/usr/bin/env bash
# Plays the real game for a long while under Xvfb, as a restless player would
# (a key every 100 ms: walking, jumping, bombs, new games, the records screen
# now and then), and prints the game's resident memory every 30 s, so that a
# slow growth shows as a curve.
#   soak.sh BUILD_DIR [MINUTES]   (BUILD_DIR holds clankora, sprites/ and sounds/)
set -euo pipefail

build=$(cd "$1" && pwd)
minutes=${2:-20}
work=$(mktemp -d /tmp/clankora-soak-XXXXXX)
. "$(dirname "$0")/../../tests/support/x11_game.sh"
trap 'stop_player; rm -rf "$work"' EXIT

export HOME="$work/home" XDG_DATA_HOME="$work/home/data" XDG_CONFIG_HOME="$work/home/config"
mkdir -p "$HOME"
start_display 1280x1024
mkdir "$work/game"
cp -r "$build/clankora" "$build/sprites" "$build/sounds" "$work/game/"
(cd "$work/game" && QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy exec ./clankora >/dev/null 2>"$work/game.err") &
game_pid=$!
win=$(find_window '^Clankora!$') || fail "no game window"

keys=(Left Right Up Down Left Right Up space Left Right)
rss() { awk '/^VmRSS/ {print $2}' /proc/"$game_pid"/status; }
echo "minute,rss_kb"
start=$(date +%s)
next_sample=$start
n=0
while [ $(( $(date +%s) - start )) -lt $((minutes * 60)) ]; do
  kill -0 "$game_pid" 2>/dev/null || fail "the game ended: $(cat "$work/game.err")"
  n=$((n + 1))
  key=${keys[$((RANDOM % ${#keys[@]}))]}
  # Now and then: a new game, the records screen and back, help and back.
  if [ $((n % 600)) -eq 0 ]; then key=F5; fi
  if [ $((n % 900)) -eq 450 ]; then xdotool key --window "$win" F3 2>/dev/null || true; sleep 0.5; key=Escape; fi
  if [ $((n % 1200)) -eq 300 ]; then xdotool key --window "$win" F1 2>/dev/null || true; sleep 0.3; key=space; fi
  xdotool key --window "$win" "$key" 2>/dev/null || true
  # A lost or won game waits for a new one.
  [ $((n % 50)) -eq 0 ] && xdotool key --window "$win" space 2>/dev/null || true
  sleep 0.1
  if [ "$(date +%s)" -ge "$next_sample" ]; then
    echo "$(( ($(date +%s) - start) / 60 )).$(( ($(date +%s) - start) % 60 * 10 / 60 )),$(rss)"
    next_sample=$((next_sample + 30))
  fi
done
