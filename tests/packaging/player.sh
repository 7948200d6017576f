# Shared by the install and package tests: plays an installed game under a
# display of its own, as an ordinary player whose home is a fresh folder.
# Source it after setting "work" (a temporary folder the test removes).

. "$(dirname "${BASH_SOURCE[0]}")/../support/x11_game.sh"

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

# START-SCREEN: the game's window shows that picture; Escape then ends the game.
expect_start_screen_then_escape() {
  local win d
  win=$(find_window '^Clankora!$') || { cat "$work/game.log"; fail "the main window did not open"; }
  wait_for_picture "$win" "$1" 30 || true # the check below tells how far it is
  shot_picture "$win" "$work/start.png"
  d=$(pixels_differing "$work/start.png" "$1")
  [ "$d" -lt 50 ] || fail "the window does not show the start screen ($d pixels differ)"
  key_closing "$win" Escape
  wait_exit 30 || fail "the game did not end on Escape"
}

# HOME: the settings were written into the player's configuration folder.
expect_settings_in_home() {
  local ini="$1/.config/clankora/clankora.ini"
  [ -f "$ini" ] || { ls -laR "$1" >&2; fail "no settings in $ini"; }
  head -n 1 "$ini" | grep -qx '\[Tinvell: 01h\]' || { cat "$ini"; fail "the settings have no section of the game"; }
  grep -q '^SoundOn=' "$ini" || { cat "$ini"; fail "the sound switch was not saved"; }
}
