#!/usr/bin/env bash
# The game under a sound server of its own, as on a desktop: plays 10 s, then
# pauses, and reports the wakeups and processor time of the game and of the
# sound server. Fails on gross regressions only: the figures vary with the
# machine, and are read by people from the printed table.
#   battery_test.sh BUILD_DIR   (the folder holding clankora, sprites/ and sounds/)
set -euo pipefail

build=$(cd "$1" && pwd)
work=$(mktemp -d /tmp/clankora-battery-XXXXXX)
. "$(dirname "$0")/../support/x11_game.sh"
pulse_pid=""
trap 'stop_player; [ -n "$pulse_pid" ] && kill "$pulse_pid" 2>/dev/null; rm -rf "$work"' EXIT

# A sound server of the test's own, in a private runtime folder, with one silent sink.
export XDG_RUNTIME_DIR="$work/run" HOME="$work"
mkdir -m 700 "$XDG_RUNTIME_DIR"
pulseaudio -n --daemonize=no --exit-idle-time=-1 --log-target=stderr \
  --load="module-null-sink sink_name=speakers" --load=module-native-protocol-unix >"$work/pulse.log" 2>&1 &
pulse_pid=$!
for _ in $(seq 1 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl info >/dev/null 2>&1 || fail "the sound server did not start"

start_display 1280x1024
mkdir "$work/game"
cp -r "$build/clankora" "$build/sprites" "$build/sounds" "$work/game/"
(cd "$work/game" && QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=pulseaudio exec ./clankora >/dev/null 2>"$work/game.err") &
game_pid=$!
win=$(find_window '^Clankora!$') || fail "no game window"
key() { xdotool key --window "$win" "$@" 2>/dev/null || true; }

# Wakeups: the times a thread went to sleep and was woken again. A thread
# taken off the processor by another program's work (an involuntary switch)
# did not sleep, and a busy machine would count those as the game's.
switches() { cat /proc/"$1"/task/*/status 2>/dev/null | awk '/^voluntary_ctxt_switches/ {s += $2} END {print s + 0}'; }
ticks() { awk '{print $14 + $15}' /proc/"$1"/stat; }
sample() { echo "$(switches "$game_pid") $(ticks "$game_pid") $(switches "$pulse_pid") $(ticks "$pulse_pid")"; }
hz=$(getconf CLK_TCK)
# WHAT BEFORE AFTER SECONDS: prints the row and sets game_wakeups
row() {
  local g0 gt0 p0 pt0 g1 gt1 p1 pt1
  read -r g0 gt0 p0 pt0 <<<"$2"
  read -r g1 gt1 p1 pt1 <<<"$3"
  game_wakeups=$(((g1 - g0) / $4))
  printf '%-10s game %5d wakeups/s %5.1f %% cpu | sound server %5d wakeups/s %5.1f %% cpu\n' "$1" \
    "$game_wakeups" "$(echo "($gt1 - $gt0) * 100 / $hz / $4" | bc -l)" \
    "$(((p1 - p0) / $4))" "$(echo "($pt1 - $pt0) * 100 / $hz / $4" | bc -l)"
}

step "playing 10 s with keys"
key space
before=$(sample)
keys=(Left Right Up Left Right space Down)
for i in $(seq 1 50); do key "${keys[$((i * 7 % 11 % 7))]}"; sleep 0.2; done
row playing "$before" "$(sample)" 10
[ "$game_wakeups" -le 1000 ] || fail "the game woke $game_wakeups times a second while playing"

step "paused"
key p
# The game's sound stream goes once nothing has played for about a second.
closed=""
for _ in $(seq 1 25); do
  [ -z "$(pactl list sink-inputs short 2>/dev/null)" ] && { closed=yes; break; }
  sleep 0.1
done
[ -n "$closed" ] || fail "the sound stream still runs 2.5 s after pausing"
before=$(sample)
sleep 5
row paused "$before" "$(sample)" 5
[ "$game_wakeups" -le 20 ] || fail "the paused game woke $game_wakeups times a second"

step "a sound after the rest"
# A new game: the truck's first loads land within seconds, and the steps sound too.
key F5
key space
back=""
for i in $(seq 1 60); do
  [ $((i % 5)) -eq 1 ] && key "$([ $((i % 10)) -eq 1 ] && echo Left || echo Right)"
  [ -n "$(pactl list sink-inputs short 2>/dev/null)" ] && { back=yes; break; }
  sleep 0.1
done
[ -n "$back" ] || fail "the sound stream did not come back for a new game"
key Escape
wait_exit 10 || fail "the game did not end"
echo "PASS"
