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
burst_pid="" # files made and removed in /dev while the game is paused
burst_stop() { [ -n "$burst_pid" ] && { kill "$burst_pid" 2>/dev/null; wait "$burst_pid" 2>/dev/null; } || true; burst_pid=""; }
trap 'burst_stop; rm -f /dev/clankora-battery-$$-*; stop_player; [ -n "$pulse_pid" ] && kill "$pulse_pid" 2>/dev/null; rm -rf "$work"' EXIT

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
# The servers' figures; the game's wakeups are followed thread by thread.
sample() {
  local pid
  printf '%s ' "$(ticks "$game_pid")"
  for pid in "$pulse_pid" "$xvfb_pid"; do printf '%s %s ' "$(switches "$pid")" "$(ticks "$pid")"; done
}
# The game's threads come and go (the sound's with the sound): each is read
# at every look and counted from its first look, or from 0 when it began
# after the first, so a thread that ends between looks loses only their gap.
# Looks that found the game's sound thread tell how long its output was open.
declare -A first_seen last_seen thread_name
looks=0 sounding_looks=0
follow_threads() { # [start]
  local task tid count
  [ "${1:-}" = start ] && first_seen=() last_seen=() thread_name=() looks=0 sounding_looks=0
  looks=$((looks + 1))
  grep -qsE '^(SDLAudio|clankora-sound)' /proc/"$game_pid"/task/*/comm && sounding_looks=$((sounding_looks + 1))
  for task in /proc/"$game_pid"/task/*; do
    tid=${task##*/}
    count=$(awk '/^voluntary_ctxt_switches/ {print $2}' "$task/status" 2>/dev/null) || continue
    [ -n "$count" ] || continue
    if [ -z "${first_seen[$tid]+set}" ]; then
      first_seen[$tid]=$([ "${1:-}" = start ] && echo "$count" || echo 0)
      thread_name[$tid]=$(tr -d ' ' <"$task/comm" 2>/dev/null || echo gone)
    fi
    last_seen[$tid]=$count
  done
}
game_thread_wakeups() { # prints NAME WAKEUPS for every thread followed
  local tid
  for tid in "${!last_seen[@]}"; do echo "${thread_name[$tid]} $((last_seen[$tid] - first_seen[$tid]))"; done
}
hz=$(getconf CLK_TCK)
percent() { echo "($2 - $1) * 100 / $hz / $3" | bc -l; }
# WHAT BEFORE AFTER SECONDS: prints the row and the game's threads, and sets game_wakeups
row() {
  local gt0 p0 pt0 x0 xt0 gt1 p1 pt1 x1 xt1
  read -r gt0 p0 pt0 x0 xt0 <<<"$2"
  read -r gt1 p1 pt1 x1 xt1 <<<"$3"
  game_wakeups=$(game_thread_wakeups | awk -v s="$4" '{n += $2} END {printf "%d", n / s}')
  printf '%-10s game %5d wakeups/s %5.1f %% cpu | sound server %5d wakeups/s %5.1f %% cpu | X %5d wakeups/s %5.1f %% cpu\n' \
    "$1" "$game_wakeups" "$(percent "$gt0" "$gt1" "$4")" "$(((p1 - p0) / $4))" "$(percent "$pt0" "$pt1" "$4")" \
    "$(((x1 - x0) / $4))" "$(percent "$xt0" "$xt1" "$4")"
  printf '%-10s game by thread:' ""
  game_thread_wakeups | awk -v s="$4" '{n[$1] += $2 / s} END {for (t in n) if (n[t] >= 1) printf " %s %d", t, n[t]; print ""}'
  # The sound server works for the game only while the game's output is open.
  printf '%-10s sound output open %d %% of the time, %d times\n' "" "$((sounding_looks * 100 / looks))" \
    "$(game_thread_wakeups | grep -cE '^(SDLAudio|clankora-sound)')"
}

step "playing 10 s with keys"
key space
before=$(sample)
follow_threads start
keys=(Left Right Up Left Right space Down)
for i in $(seq 1 50); do key "${keys[$((i * 7 % 11 % 7))]}"; sleep 0.2; follow_threads; done
row playing "$before" "$(sample)" 10
# While playing, the game's loop wakes about 30 times a second for the yard
# and once for each key (35 to 60 in all), its sound thread for the sound
# server (about 80 a second while sound plays) and its X thread about 15
# times: 90 to 165 in all as measured here, varying with how much moves and
# sounds. The limit is for gross regressions.
[ "$game_wakeups" -le 400 ] || fail "the game woke $game_wakeups times a second while playing"

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
follow_threads start
for _ in $(seq 1 10); do sleep 0.5; follow_threads; done
row paused "$before" "$(sample)" 5
# Nothing wakes a paused game but the look at a pad that is plugged in.
paused_limit=5
compgen -G "/dev/input/by-id/*-joystick" >/dev/null && paused_limit=120
[ "$game_wakeups" -le "$paused_limit" ] || fail "the paused game woke $game_wakeups times a second"

# Device files that are no pad come and go by the thousand a second in /dev,
# the folder the game watches for /dev/input to appear in. Only the files of
# pads may wake the game: paused in full screen, it stays asleep, three times
# over. Without the right to make files in /dev, the paused full screen is
# measured as it is.
burst_start() { # makes and removes 50 files in /dev, rests 10 ms, and again
  perl -e '$d = shift; while (1) {
    for $i (1 .. 50) { open(my $f, ">", "$d-$i") or exit 1; close $f; unlink "$d-$i"; }
    select(undef, undef, undef, 0.01); }' "/dev/clankora-battery-$$" &
  burst_pid=$!
}
can_burst=""
: 2>/dev/null >"/dev/clankora-battery-$$-probe" && rm -f "/dev/clankora-battery-$$-probe" && can_burst=yes
key F11
sleep 0.5
for run in 1 2 3; do
  step "paused, full screen$([ -n "$can_burst" ] && echo ", device files coming and going in /dev"), $run of 3"
  [ -n "$can_burst" ] && burst_start
  sleep 0.2
  before=$(sample)
  follow_threads start
  for _ in $(seq 1 8); do sleep 0.5; follow_threads; done
  row "full $run" "$before" "$(sample)" 4
  burst_stop
  [ "$game_wakeups" -le "$paused_limit" ] || fail "the paused full-screen game woke $game_wakeups times a second"
done
key F11

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
