# Shared by the install and package tests: plays an installed game under a
# display of its own, as an ordinary player whose home is a fresh folder.
# Source it after setting "work" (a temporary folder the test removes).

xvfb_pid=""
game_pid=""
compare=/usr/bin/compare

fail() { echo "FAIL: $*" >&2; exit 1; }
step() { echo "-- $*"; }

# Waits for both to end: an X server still shutting down removes its socket
# files, which may by then be those of the next test's server of the same number.
stop_player() {
  [ -n "$game_pid" ] && { kill "$game_pid" 2>/dev/null; wait "$game_pid" 2>/dev/null; } || true
  [ -n "$xvfb_pid" ] && { kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; } || true
  game_pid="" xvfb_pid=""
}

# A display of our own; Xvfb picks a free number itself, so tests running side
# by side never meet.
start_display() {
  local fd_file="$work/display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fd_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 1 100); do [ -s "$fd_file" ] && break; sleep 0.1; done
  [ -s "$fd_file" ] || fail "Xvfb did not start"
  export DISPLAY=":$(head -n 1 "$fd_file")"
  for _ in $(seq 1 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && return 0; sleep 0.1; done
  fail "no display at $DISPLAY"
}

# The player: "nobody" when the tests run as root (root may write anywhere,
# also beside an installed program), otherwise the one running the tests.
make_player_home() { # DIR
  mkdir -p "$1"
  if [ "$(id -u)" -eq 0 ]; then chown 65534:65534 "$1"; fi
}

# FOLDER HOME PROGRAM...: starts the program from FOLDER, with HOME as the home
# and nothing else from the environment that could say where its files are.
start_as_player() {
  local folder=$1 home=$2; shift 2
  local as=()
  if [ "$(id -u)" -eq 0 ]; then as=(setpriv --reuid=65534 --regid=65534 --clear-groups); fi
  (cd "$folder" && exec "${as[@]}" env -i DISPLAY="$DISPLAY" HOME="$home" \
     PATH="${PLAYER_PATH:-/usr/local/bin:/usr/bin:/bin}" QT_QPA_PLATFORM=xcb \
     SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$home/audio.raw" \
     ${ASAN_OPTIONS:+ASAN_OPTIONS="$ASAN_OPTIONS"} ${UBSAN_OPTIONS:+UBSAN_OPTIONS="$UBSAN_OPTIONS"} \
     "$@" >"$work/game.log" 2>&1) &
  game_pid=$!
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

wait_exit() { # SECONDS
  for _ in $(seq 1 $(($1 * 10))); do
    kill -0 "$game_pid" 2>/dev/null || { wait "$game_pid" 2>/dev/null || true; game_pid=""; return 0; }
    sleep 0.1
  done
  return 1
}

# START-SCREEN: the game's window shows that picture; Escape then ends the game.
expect_start_screen_then_escape() {
  local win x y d
  win=$(find_window '^Clankora!$') || { cat "$work/game.log"; fail "the main window did not open"; }
  sleep 0.5
  eval "$(xdotool getwindowgeometry --shell "$win" | grep -E '^[XY]=')"
  x=$X y=$Y
  xwd -root -silent | convert xwd:- -crop "640x480+${x}+${y}" +repage "$work/start.png"
  d=$("$compare" -metric AE "$work/start.png" "$1" null: 2>&1 || true)
  [ "$d" -lt 50 ] 2>/dev/null || fail "the window does not show the start screen ($d pixels differ)"
  xdotool key --window "$win" Escape 2>/dev/null || true
  wait_exit 10 || fail "the game did not end on Escape"
}

# HOME: the settings were written into the player's configuration folder.
expect_settings_in_home() {
  local ini="$1/.config/clankora/clankora.ini"
  [ -f "$ini" ] || { ls -laR "$1" >&2; fail "no settings in $ini"; }
  head -n 1 "$ini" | grep -qx '\[Tinvell: 01h\]' || { cat "$ini"; fail "the settings have no section of the game"; }
  grep -q '^SoundOn=' "$ini" || { cat "$ini"; fail "the sound switch was not saved"; }
}
