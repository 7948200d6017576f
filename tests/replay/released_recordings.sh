#!/usr/bin/env bash
# Recordings made by earlier versions of the game (1.0 and on) must replay to
# the lines those printed when they were made: the rules, and the way keys
# reach them, must not drift. Lines printed before a won game's line told the
# lives the robot escaped with said "65535 lives" for every win: such a line
# stands for the same won game with any lives.
# Usage: released_recordings.sh GAME RECORDINGS-FOLDER
set -u
game=$1 folder=$2
failed=0
while IFS=$'\t' read -r file expected; do
  got=$(SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=offscreen "$game" --replay "$folder/$file" --verify 2>/dev/null)
  status=$?
  compared=$got
  if [[ $expected == "won, "*" ticks, 65535 lives, "* ]]; then
    compared=$(sed -E 's/^(won, [0-9]+ ticks, )[0-9]+ lives, /\165535 lives, /' <<<"$got")
  fi
  if [ $status -ne 0 ] || [ "$compared" != "$expected" ]; then
    echo "FAIL: $file replayed to '$got' (exit $status), the game that made it printed '$expected'" >&2
    failed=1
  fi
done < "$folder/lines.txt"
exit $failed
