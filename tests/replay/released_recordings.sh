#!/usr/bin/env bash
# Recordings made by the released game (1.0) must replay to the lines it printed
# when they were made: the rules, and the way keys reach them, must not drift.
# Usage: released_recordings.sh GAME RECORDINGS-FOLDER
set -u
game=$1 folder=$2
failed=0
while IFS=$'\t' read -r file expected; do
  got=$(SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=offscreen "$game" --replay "$folder/$file" --verify 2>/dev/null)
  status=$?
  if [ $status -ne 0 ] || [ "$got" != "$expected" ]; then
    echo "FAIL: $file replayed to '$got' (exit $status), the released game printed '$expected'" >&2
    failed=1
  fi
done < "$folder/lines.txt"
exit $failed
