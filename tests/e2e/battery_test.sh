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
sample() {
  local pid
  for pid in "$game_pid" "$pulse_pid" "$xvfb_pid"; do printf '%s %s ' "$(switches "$pid")" "$(ticks "$pid")"; done
}
# Each of the game's threads as NAME:WAKEUPS, the name without blanks.
threads() {
  local task
  for task in /proc/"$game_pid"/task/*; do
    printf '%s:%s\n' "$(tr -d ' ' <"$task/comm" 2>/dev/null)" \
      "$(awk '/^voluntary_ctxt_switches/ {print $2}' "$task/status" 2>/dev/null)"
  done
}
hz=$(getconf CLK_TCK)
percent() { echo "($2 - $1) * 100 / $hz / $3" | bc -l; }
# WHAT BEFORE AFTER SECONDS: prints the row and sets game_wakeups
row() {
  local g0 gt0 p0 pt0 x0 xt0 g1 gt1 p1 pt1 x1 xt1
  read -r g0 gt0 p0 pt0 x0 xt0 <<<"$2"
  read -r g1 gt1 p1 pt1 x1 xt1 <<<"$3"
  game_wakeups=$(((g1 - g0) / $4))
  printf '%-10s game %5d wakeups/s %5.1f %% cpu | sound server %5d wakeups/s %5.1f %% cpu | X %5d wakeups/s %5.1f %% cpu\n' \
    "$1" "$game_wakeups" "$(percent "$gt0" "$gt1" "$4")" "$(((p1 - p0) / $4))" "$(percent "$pt0" "$pt1" "$4")" \
    "$(((x1 - x0) / $4))" "$(percent "$xt0" "$xt1" "$4")"
}
# BEFORE AFTER SECONDS (two threads() lists): the game's wakeups per second by thread.
thread_row() {
  printf '%-10s by thread:' ""
  join -t: -a2 -e0 -o 0,1.2,2.2 <(sort <<<"$1") <(sort <<<"$2") |
    awk -F: -v s="$3" '{n[$1] += ($3 - $2) / s} END {for (t in n) if (n[t] >= 1) printf " %s %d", t, n[t]; print ""}'
}

step "playing 10 s with keys"
key space
before=$(sample) before_threads=$(threads)
keys=(Left Right Up Left Right space Down)
for i in $(seq 1 50); do key "${keys[$((i * 7 % 11 % 7))]}"; sleep 0.2; done
row playing "$before" "$(sample)" 10
thread_row "$before_threads" "$(threads)" 10
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
before=$(sample) before_threads=$(threads)
sleep 5
row paused "$before" "$(sample)" 5
thread_row "$before_threads" "$(threads)" 5
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
