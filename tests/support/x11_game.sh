# Shared by the end-to-end, install and package tests: a display of their own
# under Xvfb, the game's window found and pictured with xdotool, and the
# game's end awaited. Source it after setting "work" (a temporary folder the
# test removes); start the game in the background with its pid in game_pid.

xvfb_pid=""
game_pid=""
game_status=""
displays_started=0
convert=/usr/bin/convert
compare=/usr/bin/compare

# A script may define on_fail, run before a failure ends it.
fail() {
  echo "FAIL: $*" >&2
  if declare -F on_fail >/dev/null; then on_fail; fi
  exit 1
}
step() { echo "-- $*"; }

# Waits for both to end: an X server still shutting down removes its socket
# files, which may by then be those of the next test's server of the same number.
stop_player() {
  [ -n "$game_pid" ] && { kill "$game_pid" 2>/dev/null; wait "$game_pid" 2>/dev/null; } || true
  [ -n "$xvfb_pid" ] && { kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; } || true
  game_pid="" xvfb_pid=""
}

# [WIDTHxHEIGHT]: a display of our own, 1024x768 unless told; Xvfb picks a
# free number itself, so tests running side by side never meet. Sets DISPLAY
# and xvfb_pid.
start_display() {
  displays_started=$((displays_started + 1))
  local fd_file="$work/display-$displays_started"
  Xvfb -displayfd 3 -screen 0 "${1:-1024x768}x24" -nolisten tcp 3>"$fd_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 1 100); do [ -s "$fd_file" ] && break; sleep 0.1; done
  [ -s "$fd_file" ] || fail "Xvfb did not start"
  export DISPLAY=":$(head -n 1 "$fd_file")"
  for _ in $(seq 1 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && return 0; sleep 0.1; done
  fail "no display at $DISPLAY"
}

find_window() { # NAME-REGEX
  local id=""
  for _ in $(seq 1 150); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    kill -0 "$game_pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# WINDOW FILE: the game's 640 x 480 picture, cut out of the whole screen.
shot_picture() {
  local WINDOW X Y WIDTH HEIGHT SCREEN
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xwd -root -silent | "$convert" xwd:- -crop "640x480+${X}+${Y}" +repage "$2"
}

wait_exit() { # SECONDS; the program's exit code is then in game_status
  for _ in $(seq 1 $(($1 * 10))); do
    kill -0 "$game_pid" 2>/dev/null || {
      game_status=0; wait "$game_pid" 2>/dev/null || game_status=$?; game_pid=""; return 0; }
    sleep 0.1
  done
  return 1
}
