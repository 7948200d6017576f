#!/usr/bin/env bash
# The records under a real display: a won game at start level 1 with "Robot
# can escape" (its recording made by the scripted player of the window tests)
# kept as a record, F3 shows it, Enter replays it in place of the game's
# window and Escape comes back, "--records" prints it and "--replay" plays the
# record's own file to its line.
#   records_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail

build=$(cd "$1" && pwd)
fixture="$2/tests/e2e/records/won-level1-robot-can-escape.rec"
work=$(mktemp -d /tmp/clankora-records-XXXXXX)
source "$2/tests/support/x11_game.sh"
trap 'stop_player; rm -rf "$work"' EXIT
on_fail() { cat "$work/game.err" >&2 2>/dev/null || true; }

mkdir -p "$work/game" "$work/data/clankora" "$work/home"
cp "$build/clankora" "$work/game/"
cp -r "$build/sprites" "$build/sounds" "$work/game/"
export XDG_DATA_HOME="$work/data" HOME="$work/home" SDL_AUDIODRIVER=dummy
line=$("$work/game/clankora" --replay "$fixture" --verify)
case "$line" in won,*) ;; *) fail "the fixture does not win: $line" ;; esac
ticks=$(echo "$line" | sed 's/^won, \([0-9]*\) ticks.*/\1/')
cp "$fixture" "$work/data/clankora/level01-generator0-1765400000-$ticks.rec"
printf 'Clankora records 1\nnewest level01-generator0-1765400000-%s.rec\nrecord 1 0 %s 2 69000 1765400000 2 level01-generator0-1765400000-%s.rec %s\n' \
  "$ticks" "$ticks" "$ticks" "$line" >"$work/data/clankora/records"

step "--records prints the record"
"$work/game/clankora" --records >"$work/records.txt"
grep -q "Robot can escape:" "$work/records.txt" || fail "no generator in: $(cat "$work/records.txt")"
grep -qE "level  1   1\.    1:09\.0  2 lives .*level01-generator0-1765400000-$ticks\.rec  newest" "$work/records.txt" ||
  fail "the record is not printed: $(cat "$work/records.txt")"

step "--replay plays the record's own file to its line"
again=$("$work/game/clankora" --replay "$work/data/clankora/level01-generator0-1765400000-$ticks.rec" --verify)
[ "$again" = "$line" ] || fail "the record replays to '$again', not '$line'"

step "F3 shows the records over the game, Enter replays, Escape comes back"
# The screen opens on the settings' start level and generator: the record's.
printf '[Tinvell: 01h]\nStartLevel=1\nTrashGeneratorAlgorythmIndex=0\n' >"$work/game/clankora.ini"
start_display
(cd "$work/game" && exec ./clankora >"$work/game.out" 2>"$work/game.err") &
game_pid=$!
main=$(find_window '^Clankora!$') || fail "no game window"
sleep 1
shot_picture "$main" "$work/before.png"
xdotool key --window "$main" F3
sleep 0.5
shot_picture "$main" "$work/records.png"
changed=$("$compare" -metric AE "$work/before.png" "$work/records.png" null: 2>&1 || true)
[ "${changed%% *}" -gt 20000 ] 2>/dev/null || fail "F3 changed only $changed pixels"
xdotool key --window "$main" Return
replay=""
for _ in $(seq 1 50); do
  replay=$(xdotool search --onlyvisible --name '^Clankora!$' 2>/dev/null | grep -v "^$main\$" | head -n 1 || true)
  [ -n "$replay" ] && break
  sleep 0.1
done
[ -n "$replay" ] || fail "Enter opened no replay"
sleep 1
xdotool key --window "$replay" Escape 2>/dev/null || true # a replay that ended has closed its window
for _ in $(seq 1 50); do
  xdotool search --onlyvisible --name '^Clankora!$' 2>/dev/null | grep -q "^$main\$" && break
  sleep 0.1
done
xdotool search --onlyvisible --name '^Clankora!$' 2>/dev/null | grep -q "^$main\$" || fail "the game's window did not come back"
kill -TERM "$game_pid"
wait_exit 10 || fail "the game did not end"
echo "records shown, replayed and printed"
