#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package from a built tree, installs it into this machine with apt-get, runs the installed
# programs as an ordinary user (nobody), purges the package and checks that nothing of it is left in /usr.
# Usage: package_test.sh BUILD_DIR TESTDATA_DIR APP_ID
# Needs root (or sudo without a password, then it runs itself with sudo); exit status 77 means skipped.
set -euo pipefail
if [ "${1:-}" = --help ] || [ "${1:-}" = -h ]; then
  echo "Usage: tests/package/package_test.sh BUILD_DIR TESTDATA_DIR APP_ID
Builds the Debian package from the built tree BUILD_DIR with cpack, installs it into this machine with apt-get,
runs the installed programs as the user nobody (tessary-prepare on a picture from TESTDATA_DIR), purges the
package and checks that nothing of it is left in /usr (its desktop entry and metainfo named APP_ID among them). Needs root or password-less sudo; exit status 77 means
skipped. CTest runs it when configured with -DTESSARY_PACKAGE_TEST=ON."
  exit 0
fi

build=$(cd "${1:?usage: package_test.sh BUILD_DIR TESTDATA_DIR APP_ID}" && pwd)
testdata=${2:?usage: package_test.sh BUILD_DIR TESTDATA_DIR APP_ID}
picture=$testdata/jpeg/Landscape_1.jpg
heic=$testdata/heif/photo.heic
svg=$testdata/svg/logo.svg
app_id=${3:?usage: package_test.sh BUILD_DIR TESTDATA_DIR APP_ID}
user=nobody

say() { echo "package test: $*"; }
fail() {
  echo "package test: FAILED: $*" >&2
  exit 1
}

if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
    exec sudo -n bash "$0" "$build" "$testdata" "$app_id"
  fi
  say "skipped: installing a package needs root or sudo without a password"
  exit 77
fi
for tool in cpack dpkg-deb dpkg-query apt-get runuser setsid lintian; do
  command -v "$tool" >/dev/null || fail "$tool is missing"
done
[ -f "$build/CPackConfig.cmake" ] || fail "$build is not a configured build tree"
for file in "$picture" "$heic" "$svg"; do [ -r "$file" ] || fail "no test picture at $file"; done
if dpkg-query -W -f='${Status}' tessary 2>/dev/null | grep -q ' installed$'; then
  fail "a tessary package is installed already; the test would replace it (apt-get purge tessary first)"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/tessary-package.XXXXXX")
installed=0
session=
engraver=
cleanup() {
  if [ -n "$engraver" ]; then
    kill -TERM "$engraver" 2>/dev/null || true
  fi
  if [ -n "$session" ]; then
    kill -KILL -- "-$session" 2>/dev/null || true
  fi
  if [ "$installed" = 1 ]; then
    env DEBIAN_FRONTEND=noninteractive apt-get purge -y -q tessary >/dev/null 2>&1 || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
# The user must reach its own directories below; apt's sandbox user must read the package.
chmod 755 "$work"
apt=(env DEBIAN_FRONTEND=noninteractive apt-get -y -q -o DPkg::Lock::Timeout=300)
as_user() { runuser -u "$user" -- "$@"; }

say "building the package"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/deb" >"$work/cpack.log" 2>&1 || {
  cat "$work/cpack.log" >&2
  fail "cpack failed"
}
arch=$(dpkg --print-architecture)
debs=("$work"/deb/tessary_*_"$arch".deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one tessary_<version>_$arch.deb, found: ${debs[*]}"
deb=${debs[0]}
version=$(dpkg-deb -f "$deb" Version)
[ "$(basename "$deb")" = "tessary_${version}_${arch}.deb" ] || fail "package file name $(basename "$deb")"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libc6 libqt6widgets6 fonts-wqy-microhei; do
  [[ ", $depends," == *", $needed "* || ", $depends," == *", $needed,"* ]] ||
    fail "Depends does not name $needed (dpkg-shlibdeps not run?): $depends"
done

say "checking the package with lintian"
# Errors and warnings fail the test; informational tags are printed for the record.
lintian --display-info --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 || {
  cat "$work/lintian.log" >&2
  fail "lintian reports errors or warnings"
}
sed 's/^/  /' "$work/lintian.log"

say "installing $(basename "$deb")"
installed=1
"${apt[@]}" install "$deb" >"$work/apt.log" 2>&1 || {
  cat "$work/apt.log" >&2
  fail "apt-get install failed"
}
dpkg-query -L tessary >"$work/paths"
for path in /usr/bin/tessary /usr/bin/tessary-prepare /usr/bin/tessary-virtual-engraver \
  /usr/share/applications/$app_id.desktop /usr/share/metainfo/$app_id.metainfo.xml \
  /usr/share/icons/hicolor/{16x16,24x24,32x32,48x48,64x64,128x128,256x256}/apps/tessary.png; do
  grep -qxF "$path" "$work/paths" && [ -f "$path" ] || fail "$path is not installed by the package"
done
heif_module=$(grep '/tessary/tessary-heif\.so$' "$work/paths" || true)
render_module=$(grep '/tessary/tessary-render\.so$' "$work/paths" || true)
for module in "$heif_module" "$render_module"; do
  [ -n "$module" ] && [ -f "$module" ] && [ ! -x "$module" ] || fail "the modules are not installed: $module"
  if ldd "$module" | grep -q 'not found'; then
    ldd "$module" >&2
    fail "$module misses shared libraries"
  fi
done
for program in tessary tessary-prepare tessary-virtual-engraver; do
  if ldd "/usr/bin/$program" | grep -q 'not found'; then
    ldd "/usr/bin/$program" >&2
    fail "/usr/bin/$program misses shared libraries"
  fi
  out=$(as_user "/usr/bin/$program" --version) || fail "$program --version failed"
  [ "$out" = "$program $version" ] || fail "$program --version printed \"$out\", not \"$program $version\""
done
for program in tessary tessary-prepare tessary-virtual-engraver; do
  as_user man -P cat "$program" 2>/dev/null | grep -q "^NAME" || fail "man $program shows no manual page"
done
for path in /usr/share/doc/tessary/copyright /usr/share/doc/tessary/changelog.gz; do
  [ -f "$path" ] || fail "$path is not installed"
done
for program in tessary-prepare tessary-virtual-engraver; do
  out=$(as_user "/usr/bin/$program" --help) && [ -n "$out" ] || fail "$program --help failed or printed nothing"
done

say "preparing a picture as $user"
mkdir -m 755 "$work/user"
cp "$picture" "$work/user/picture.jpg"
chmod 644 "$work/user/picture.jpg"
chown "$user" "$work/user"
as_user /usr/bin/tessary-prepare "$work/user/picture.jpg" "$work/user/prepared.bmp" >"$work/prepare.log" 2>&1 || {
  cat "$work/prepare.log" >&2
  fail "tessary-prepare failed"
}
# A 512 x 512 BMP of 1 bit per pixel: 62 bytes of header and palette, then 512 rows of 64 bytes.
header=$(od -An -tx1 -N30 "$work/user/prepared.bmp" | tr -d ' \n')
[ "$(stat -c %s "$work/user/prepared.bmp")" = 32830 ] || fail "the prepared picture is not 32,830 bytes long"
[ "${header:0:4}" = 424d ] && [ "${header:36:8}" = 00020000 ] && [ "${header:44:8}" = 00020000 ] &&
  [ "${header:56:4}" = 0100 ] || fail "the prepared picture is not a 512 x 512 1-bit BMP (header $header)"

say "the desktop knows a job by its name and its first bytes, and the console's entry opens it"
grep -qxF application/x-tessary-job /usr/share/mime/types || fail "the job type is not in the MIME database"
# globs2 lines are "weight:type:glob".
grep -qE '^[0-9]+:application/x-tessary-job:\*\.tessary(:|$)' /usr/share/mime/globs2 ||
  fail "*.tessary is not a job by its name"
grep -aqF mimetypeapplication/x-tessary-job /usr/share/mime/magic || fail "a job is not known by its first bytes"
grep -q "^application/x-tessary-job=\(.*;\)\?$app_id\.desktop" /usr/share/applications/mimeinfo.cache ||
  fail "the desktop entry does not open jobs"
as_user /usr/bin/tessary-prepare --save-job "$work/user/picture.tessary" --conversion jarvis "$work/user/picture.jpg" \
  "$work/user/saved.bmp" >"$work/prepare.log" 2>&1 &&
  as_user /usr/bin/tessary-prepare "$work/user/picture.tessary" "$work/user/opened.bmp" >>"$work/prepare.log" 2>&1 &&
  cmp -s "$work/user/saved.bmp" "$work/user/opened.bmp" || {
  cat "$work/prepare.log" >&2
  fail "a job kept by tessary-prepare does not give its engraving back"
}

say "preparing HEIC and SVG through the installed modules, and HEIC without its module"
cp "$heic" "$work/user/picture.heic"
cp "$svg" "$work/user/picture.svg"
chmod 644 "$work/user/picture.heic" "$work/user/picture.svg"
for file in picture.heic picture.svg; do
  as_user /usr/bin/tessary-prepare "$work/user/$file" "$work/user/prepared.bmp" >"$work/prepare.log" 2>&1 || {
    cat "$work/prepare.log" >&2
    fail "tessary-prepare failed on $file"
  }
done
mv "$heif_module" "$work/tessary-heif.so"
status=0
as_user /usr/bin/tessary-prepare "$work/user/picture.heic" "$work/user/prepared.bmp" >"$work/prepare.log" 2>&1 ||
  status=$?
[ "$status" = 1 ] && grep -q '^tessary-heif: HEIC and AVIF pictures are refused: ' "$work/prepare.log" &&
  grep -q '^Wrong file type: ' "$work/prepare.log" || {
  cat "$work/prepare.log" >&2
  fail "without its module a HEIC was not refused with a line saying why (status $status)"
}
as_user /usr/bin/tessary-prepare "$work/user/picture.jpg" "$work/user/prepared.bmp" >"$work/prepare.log" 2>&1 || {
  cat "$work/prepare.log" >&2
  fail "tessary-prepare failed on a JPEG without the HEIC module"
}

# The console run as the user, with the given arguments: /usr/bin is not its to write, so its run directory is
# $XDG_RUNTIME_DIR/tessary. Without a machine in the port directory the message box saying so does not keep
# SIGTERM from closing the window. $during_run, when set, is checked while the console runs.
during_run=
run_console() {
  local pidfile=$work/user/console.pid console status=0
  rm -f "$pidfile"
  # A session of its own, so that a failing test ends the console together with runuser.
  setsid runuser -u "$user" -- sh -c 'echo $$ >"$1"; shift; exec "$@"' sh "$pidfile" \
    env -i PATH=/usr/bin:/bin HOME="$work/user/home" XDG_RUNTIME_DIR="$work/user/run" \
    TESSARY_PORT_DIR="$work/user/ports" QT_QPA_PLATFORM=offscreen /usr/bin/tessary "$@" >>"$work/console.log" 2>&1 &
  session=$!
  for _ in $(seq 50); do [ -s "$pidfile" ] && break; sleep 0.1; done
  console=$(cat "$pidfile" 2>/dev/null || true)
  [ -n "$console" ] || fail "the console did not start"
  sleep 2
  kill -0 "$console" 2>/dev/null || {
    cat "$work/console.log" >&2
    fail "the console ended by itself within two seconds"
  }
  if [ -n "$during_run" ]; then eval "$during_run"; fi
  kill -TERM "$console"
  for _ in $(seq 100); do kill -0 "$console" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$console" 2>/dev/null && fail "the console did not end within ten seconds of SIGTERM"
  wait "$session" || status=$?
  session=
  [ "$status" = 0 ] || {
    cat "$work/console.log" >&2
    fail "the console ended with status $status after SIGTERM"
  }
}

say "starting the console as $user"
runuser -u "$user" -- mkdir -p "$work/user/home" "$work/user/ports"
runuser -u "$user" -- mkdir -m 700 "$work/user/run"
run_console
rundir=$work/user/run/tessary
say "the console refuses a HEIC without its module and goes on"
run_console "$work/user/picture.heic"
grep -q '^tessary-heif: HEIC and AVIF pictures are refused: ' "$work/console.log" ||
  fail "the console did not say why it refused a HEIC without its module"
mv "$work/tessary-heif.so" "$heif_module"
[ -d "$rundir" ] && [ "$(stat -c '%U %a' "$rundir")" = "$user 700" ] ||
  fail "the console did not make its private run directory $rundir"
[ ! -e "/usr/bin/Engraving Preview.bmp" ] || fail "a preview file lies in /usr/bin"

say "the console connects to the virtual engraver, takes a picture in and deletes its preview file on closing"
runuser -u "$user" -- /usr/bin/tessary-virtual-engraver --port-dir "$work/user/ports" --com 1 \
  >"$work/engraver.log" 2>&1 &
engraver=$!
for _ in $(seq 50); do [ -e "$work/user/ports/COM1" ] && break; sleep 0.1; done
[ -e "$work/user/ports/COM1" ] || fail "the virtual engraver did not link its port"
during_run='[ "$(stat -c %s "$rundir/Engraving Preview.bmp" 2>/dev/null)" = 32830 ] ||
  fail "tessary FILE wrote no preview file in $rundir"'
run_console "$work/user/picture.jpg"
during_run=
kill -TERM "$engraver" 2>/dev/null || true
wait "$engraver" 2>/dev/null || true
engraver=
[ ! -e "$rundir/Engraving Preview.bmp" ] || fail "the console left its preview file in $rundir"

say "purging the package"
"${apt[@]}" purge tessary >"$work/apt.log" 2>&1 || {
  cat "$work/apt.log" >&2
  fail "apt-get purge failed"
}
installed=0
dpkg-query -W tessary >/dev/null 2>&1 && fail "dpkg still knows the package"
while IFS= read -r path; do
  [ -e "$path" ] || continue
  # Directories shared with other packages (/usr/bin, /usr/share/icons/...) stay.
  [ -d "$path" ] && dpkg-query -S "$path" >/dev/null 2>&1 && continue
  fail "$path is left after purging"
done <"$work/paths"
! grep -qF x-tessary-job /usr/share/mime/types /usr/share/applications/mimeinfo.cache ||
  fail "the job type is left in the MIME database or the desktop entries' cache after purging"
left=$(find /usr -xdev \( -iname '*tessary*' -o -name 'Engraving Preview.bmp' \) -print 2>/dev/null | head)
[ -z "$left" ] || fail "left in /usr after purging: $left"
say "passed (package $(basename "$deb"), $(stat -c %s "$deb") bytes)"
