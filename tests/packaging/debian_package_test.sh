#!/usr/bin/env bash
# Makes the Debian package from the built game twice, a second apart, and
# checks that both are the same file; builds and packs the last commit in two
# clones whose files carry different times, as the README says, and checks
# that the two packages are the same file; checks its control fields and files,
# that lintian finds no error and no warning in it, and that its program is
# hardened; as root, also installs it with dpkg, plays "clankora" from the PATH
# as an ordinary player, and removes it, leaving none of its files.
#   debian_package_test.sh BUILD_DIR VERSION SOURCE_DIR
set -euo pipefail
# The package's time must come from the source by itself.
unset SOURCE_DATE_EPOCH

build=$(cd "$1" && pwd)
version=$2
source=$(cd "$3" && pwd)
work=$(mktemp -d /tmp/clankora-deb-XXXXXX)
chmod 755 "$work"
. "$(dirname "$0")/player.sh"
installed=""
cleanup() {
  stop_player
  [ -n "$installed" ] && dpkg -r clankora >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

pack() { # OUT-DIR: makes the package there and prints its path
  (cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$1") >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack failed"; }
  ls "$1"/clankora_*.deb 2>/dev/null | head -n 1
}
step "cpack -G DEB, twice"
deb=$(pack "$work/out")
[ -n "$deb" ] || { cat "$work/cpack.log"; fail "no clankora_*.deb was made"; }
sleep 1.5
again=$(pack "$work/again")
cmp "$deb" "$again" || fail "two packages made from one build differ"
epoch=$(cat "$build/packaging/source_date_epoch")
stamp=$(date -u -d "@$epoch" '+%Y-%m-%d %H:%M:%S')
other=$(dpkg-deb --fsys-tarfile "$deb" | tar -tv --full-time | grep -v -F " $stamp " || true)
[ -z "$other" ] || fail "files in the package are not dated $stamp, the source's time: $other"
dpkg-deb -x "$deb" "$work/root"

step "the last commit in two clones, their files dated years apart, each built and packed as the README says"
if commit=$(git -C "$source" rev-parse --verify -q HEAD 2>/dev/null); then
  git -C "$source" diff --quiet HEAD -- 2>/dev/null ||
    echo "  the checkout has changes not committed: the clones are of commit $commit, without them"
  launcher=()
  if command -v ccache >/dev/null; then
    # The sources are named from the test's folder, so the second clone
    # compiles only what differs from the first.
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR="$work"
  fi
  clone_and_pack() { # NAME DATE: prints the path of the clone's package
    local dir="$work/$1"
    {
      git clone --quiet --shared --no-checkout "$source" "$dir" &&
        git -C "$dir" checkout --quiet --detach "$commit" &&
        find "$dir" -path "$dir/.git" -prune -o -exec touch -h -d "$2" {} + &&
        cd "$dir" &&
        cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DCLANKORA_TESTS=OFF "${launcher[@]}" &&
        cmake --build build/release -j 2 &&
        cd build/release && cpack -G DEB
    } >"$work/$1.log" 2>&1 || { tail -n 30 "$work/$1.log" >&2; fail "building and packing the $1 clone failed"; }
    ls "$dir"/build/release/clankora_*.deb
  }
  first=$(clone_and_pack first "2001-02-03 04:05:06")
  second=$(clone_and_pack second "2019-08-07 06:05:04")
  cmp "$first" "$second" || fail "the packages of two clones of one commit differ"
  echo "  both clones made the same package: $(sha256sum <"$first" | cut -c1-16)"
else
  echo "  $source is no git checkout: no clones to compare"
fi

step "control fields"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = clankora ] || fail "package name is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "version is '$(field Version)', not $version"
[ "$(field Section)" = games ] || fail "section is '$(field Section)'"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "architecture is '$(field Architecture)'"
description=$(field Description)
[[ "${description%%$'\n'*}" == *robot* ]] || fail "the description does not say what the game is"
[ "$(echo "$description" | wc -l)" -gt 1 ] || fail "the description has no long text"
long=$(echo "$description" | awk 'length > 80')
[ -z "$long" ] || fail "description lines longer than 80 columns: $long"
[[ "$(field Recommends)" == *qt6-wayland* ]] || fail "qt6-wayland is not recommended: $(field Recommends)"
# Every library the program needs is a dependency, found from the program itself.
depends=$(field Depends)
depends_names=$(echo "$depends" | tr ',|' '\n\n' | sed 's/^ *//; s/[ :].*//')
needed=$(readelf -d "$work/root/usr/games/clankora" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
[ -n "$needed" ] || fail "the packaged program names no libraries"
for lib in $needed; do
  owners=$(dpkg -S "*/$lib" 2>/dev/null | sed 's/: .*//; s/:[a-z0-9]*//g; s/, /\n/g' | sort -u)
  [ -n "$owners" ] || fail "no package holds $lib"
  found=""
  for p in $owners; do echo "$depends_names" | grep -Fqx "$p" && found=1; done
  [ -n "$found" ] || fail "$lib (package $owners) is not among the dependencies: $depends"
done

step "file list"
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/files"
expect_file() { grep -qx "$1" "$work/files" || fail "$1 is not in the package"; }
expect_file /usr/games/clankora
for f in 1st_screen.png about_screen.png help_screen.png robot/walk_right/robot_right_step1.png; do
  expect_file "/usr/share/clankora/sprites/$f"
done
expect_file /usr/share/clankora/sounds/boom01.wav
expect_file /usr/share/applications/clankora.desktop
expect_file /usr/share/metainfo/org.clankora.clankora.metainfo.xml
expect_file /usr/share/man/man6/clankora.6.gz
for n in 16 24 32 48 64 128 256 512; do expect_file "/usr/share/icons/hicolor/${n}x${n}/apps/clankora.png"; done
expect_file /usr/share/doc/clankora/copyright
expect_file /usr/share/doc/clankora/changelog.gz
grep -q '^License: Expat' "$work/root/usr/share/doc/clankora/copyright" || fail "the copyright file names no licence"
zcat "$work/root/usr/share/doc/clankora/changelog.gz" | head -n 1 | grep -q "^clankora ($version) " ||
  fail "the changelog does not begin with version $version"
grep -qx 'Exec=clankora' "$work/root/usr/share/applications/clankora.desktop" ||
  fail "the launcher does not start clankora from the PATH"
outside=$(grep -v -e '^/$' -e '^/usr/$' -e '^/usr/games/' -e '^/usr/share/' "$work/files" || true)
[ -z "$outside" ] || fail "files outside /usr/games and /usr/share: $outside"

step "lintian: no error, no warning"
command -v lintian >/dev/null || fail "lintian is not installed (scripts/setup installs it)"
lintian --fail-on error,warning --display-info "$deb" >"$work/lintian.log" 2>&1 ||
  { cat "$work/lintian.log"; fail "lintian found errors or warnings"; }
sed 's/^/  /' "$work/lintian.log"

step "the program is hardened"
command -v hardening-check >/dev/null || fail "hardening-check is not installed (scripts/setup installs devscripts)"
# Control-flow protection is not among the flags of this Debian release.
hardening-check --nocfprotection "$work/root/usr/games/clankora" >"$work/hardening.log" 2>&1 ||
  { cat "$work/hardening.log"; fail "the program is not hardened"; }
sed 's/^/  /' "$work/hardening.log"
file "$work/root/usr/games/clankora" | grep -q ', stripped' || fail "the program is not stripped"

if [ "$(id -u)" -ne 0 ]; then
  # Reported as skipped: the install, the play and the removal were not tried.
  echo "debian package: installing it needs root; the package itself passed"
  exit 77
fi

# Other checkouts on this machine may run this test at the same time.
exec 9>/tmp/clankora-dpkg-test.lock
flock 9
if dpkg-query -W -f='${db:Status-Abbrev}' clankora 2>/dev/null | grep -q '^i'; then
  echo "skipped: a clankora package is installed on this machine already; not touching it"
  exit 77
fi

dpkg_retry() { # dpkg refuses at once while apt holds its lock: wait for it a while
  for _ in $(seq 1 60); do
    if dpkg "$@" >"$work/dpkg.log" 2>&1; then return 0; fi
    grep -qi 'lock' "$work/dpkg.log" || break
    sleep 2
  done
  cat "$work/dpkg.log"
  return 1
}

step "dpkg -i"
installed=1
dpkg_retry -i "$deb" || fail "dpkg -i failed"
dpkg -L clankora | sort >"$work/installed"

step "clankora from the PATH, played by an ordinary player"
start_display
home="$work/home"
make_player_home "$home"
PLAYER_PATH=/usr/local/bin:/usr/bin:/bin:/usr/local/games:/usr/games start_as_player "$home" "$home" clankora
expect_start_screen_then_escape /usr/share/clankora/sprites/1st_screen.png
expect_settings_in_home "$home"

step "dpkg -r leaves none of its files"
dpkg_retry -r clankora || fail "dpkg -r failed"
installed=""
left=""
while read -r f; do
  case "$f" in /usr/share/clankora* | /usr/games/clankora) ;; *) [ -d "$f" ] && continue ;; esac
  [ -e "$f" ] && left="$left $f"
done <"$work/installed"
[ -z "$left" ] || fail "left behind:$left"
dpkg-query -W -f='${db:Status-Abbrev}' clankora 2>/dev/null | grep -q '^i' && fail "dpkg still lists the package as installed"
echo "debian package: all steps passed"
