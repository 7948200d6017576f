#!/usr/bin/env bash
# The records under a real display: the game wins at start level 1 with "Robot
# can escape" (the keys, clock and seeds of a game the scripted player of the
# window tests won, fed to the game as if typed), keeps the win as a record
# and says so, F3 shows it, Enter replays it in place of the game's window and
# Escape comes back, "--records" prints it and "--replay" plays the record's
# own file to its line.
#   records_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail

build=$(cd "$1" && pwd)
fixture="$(cd "$2" && pwd)/tests/e2e/records/won-level1-robot-can-escape.rec"
work=$(mktemp -d /tmp/clankora-records-XXXXXX)
source "$2/tests/support/x11_game.sh"
trap 'stop_player; rm -rf "$work"' EXIT
on_fail() { cat "$work/game.err" >&2 2>/dev/null || true; }

mkdir -p "$work/game" "$work/data" "$work/home"
cp "$build/clankora" "$work/game/"
cp -r "$build/sprites" "$build/sounds" "$work/game/"
export XDG_DATA_HOME="$work/data" HOME="$work/home" SDL_AUDIODRIVER=dummy
line=$("$work/game/clankora" --replay "$fixture" --verify)
case "$line" in won,*) ;; *) fail "the fixture does not win: $line" ;; esac
records="$work/data/clankora/records"

step "a game won through the keys becomes a record"
printf '[Tinvell: 01h]\nStartLevel=1\nTrashGeneratorAlgorythmIndex=0\n' >"$work/game/clankora.ini"
start_display
(cd "$work/game" && CLANKORA_FEED_RECORDING="$fixture" exec ./clankora >"$work/game.out" 2>"$work/game.err") &
game_pid=$!
main=$(find_window '^Clankora!$') || fail "no game window"
kept() { grep -q '^record 1 0 ' "$records" 2>/dev/null || { game_ended && fail "the game ended"; false; }; }
wait_until 60 kept || fail "no record was kept: $(cat "$records" 2>/dev/null)"
recording=$(awk '$1 == "record" { print $9 }' "$records")
[ -s "$work/data/clankora/$recording" ] || fail "the record's recording $recording is missing"
# The win picture with a note along its foot that says so.
"$convert" "$work/game/sprites/win_screen.png" -crop 640x400+0+0 +repage "$work/win-top.png"
says_won() {
  shot_picture "$main" "$work/won.png" && "$convert" "$work/won.png" -crop 640x400+0+0 +repage "$work/won-top.png" &&
    [ "$(pixels_differing "$work/won-top.png" "$work/win-top.png")" -lt 50 ] &&
    [ "$(pixels_differing "$work/won.png" "$work/game/sprites/win_screen.png")" -gt 50 ]
}
wait_until 30 says_won || fail "the win screen with the record's note did not show"

step "F3 shows the records over the game, Enter replays, Escape comes back"
xdotool key --window "$main" F3
wait_for_picture_change "$main" "$work/won.png" 30 || true # the check below tells how far
shot_picture "$main" "$work/records.png"
changed=$("$compare" -metric AE "$work/won.png" "$work/records.png" null: 2>&1 || true)
[ "${changed%% *}" -gt 20000 ] 2>/dev/null || fail "F3 changed only $changed pixels"
xdotool key --window "$main" Return
replay=""
replay_shown() { replay=$(xdotool search --onlyvisible --name '^Clankora!$' 2>/dev/null | grep -v "^$main\$" | head -n 1) && [ -n "$replay" ]; }
wait_until 30 replay_shown || fail "Enter opened no replay"
sleep 1 # watching the replay a moment
key_closing "$replay" Escape # a replay that ended has closed its window already
main_shown() { xdotool search --onlyvisible --name '^Clankora!$' 2>/dev/null | grep -q "^$main\$"; }
wait_until 30 main_shown || fail "the game's window did not come back"
kill -TERM "$game_pid" 2>/dev/null || fail "the game had ended before it was sent SIGTERM"
wait_exit 30 || fail "the game did not end"

step "--records prints the record"
"$work/game/clankora" --records >"$work/records.txt"
grep -q "Robot can escape:" "$work/records.txt" || fail "no generator in: $(cat "$work/records.txt")"
grep -qE "level  1   1\.  .* [0-9]+ li(fe|ves)  .*$recording  newest" "$work/records.txt" ||
  fail "the record is not printed: $(cat "$work/records.txt")"

step "--replay plays the record's own file to its line"
again=$("$work/game/clankora" --replay "$work/data/clankora/$recording" --verify)
[ "$again" = "$line" ] || fail "the record replays to '$again', not '$line'"
echo "a won game kept as a record, shown, replayed and printed"
