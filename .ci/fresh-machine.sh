#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A newcomer's first hour, replayed: bootstraps a minimal Debian 12 root from the mirror this machine's apt
# uses, with nothing but git, sudo and ca-certificates, and there, as an ordinary user who may use sudo, clones
# the commit under test and runs the README's test command and its package steps exactly as written.
set -euo pipefail
if [ "${1:-}" = --help ] || [ "${1:-}" = -h ]; then
  echo "Usage: .ci/fresh-machine.sh [REPOSITORY]
As root: bootstraps a minimal Debian 12 root (debootstrap --variant=minbase, from the mirror named in this
machine's apt sources, with only git, sudo and ca-certificates; the result is kept as a tarball in
/var/cache/tessary-ci for the next run), makes a user with password-less sudo in it, clones the commit checked
out in REPOSITORY (default: this clone), runs the README's test command, then the README's package steps
(cpack, apt-get install of the .deb), tessary-prepare on a test picture, a screenshot of the installed console
under Xvfb, and the purge. Fails on the first failing step; unmounts and removes the root whatever happens.
The compiler cache of the root's user lives in /var/cache/tessary-ci/ccache. Changes nothing else here."
  exit 0
fi
repo=$(cd "${1:-$(dirname "$0")/..}" && pwd)
commit=$(git -C "$repo" rev-parse HEAD)
suite=bookworm
user=newcomer
uid=4711
cache=${TESSARY_CI_CACHE:-/var/cache/tessary-ci}

say() { printf '[fresh machine %s] %s\n' "$(date -u +%H:%M:%S)" "$*"; }
fail() {
  say "FAILED: $*" >&2
  exit 1
}
[ "$(id -u)" = 0 ] || fail "needs root (it bootstraps and mounts a Debian root)"

# "URI SUITE COMPONENTS" for every enabled deb source of this machine, one-line and deb822 files alike.
apt_sources() {
  local f
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    sed 's/#.*//' "$f" | awk '$1 == "deb" { sub(/^deb[ \t]+(\[[^]]*\][ \t]+)?/, ""); print }'
  done
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk 'function flush(   n, m, i, j, u, s) {
           if (types ~ /(^| )deb( |$)/ && enabled != "no") {
             n = split(uris, u, " "); m = split(suites, s, " ")
             for (i = 1; i <= n; i++) for (j = 1; j <= m; j++) print u[i], s[j], comps
           }
           types = uris = suites = comps = enabled = ""
         }
         /^[ \t]*#/ { next }
         /^[ \t]*$/ { flush(); next }
         /^[A-Za-z-]+:/ { key = tolower($1); sub(/:$/, "", key); $1 = ""; sub(/^[ \t]+/, ""); val = $0
           if (key == "types") types = val; else if (key == "uris") uris = val
           else if (key == "suites") suites = val; else if (key == "components") comps = val
           else if (key == "enabled") enabled = tolower(val) }
         END { flush() }' "$f"
  done
}
sources=$(apt_sources | awk -v s="$suite" '$2 == s || index($2, s "-") == 1')
mirror=$(awk -v s="$suite" '$2 == s { print $1; exit }' <<<"$sources")
[ -n "$mirror" ] || fail "no deb source for $suite in this machine's apt sources"

timings=()
step_start=$SECONDS
step() {
  timings+=("$(printf '%5d s  %s' $((SECONDS - step_start)) "$1")")
  step_start=$SECONDS
}

mkdir -p "$cache"
if ! command -v debootstrap >/dev/null; then
  say "installing debootstrap on this machine"
  env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends debootstrap >/dev/null ||
    fail "cannot install debootstrap"
fi
base=$cache/$suite-minbase-$(printf '%s\n' "$mirror" git sudo ca-certificates | sha256sum | cut -c1-12).tar.gz
if [ ! -f "$base" ]; then
  say "bootstrapping a minimal $suite from $mirror (kept as $base)"
  fresh=$(mktemp -d /var/tmp/tessary-debootstrap.XXXXXX)
  debootstrap --variant=minbase --include=git,sudo,ca-certificates "$suite" "$fresh" "$mirror" \
    >"$fresh.log" 2>&1 || {
    tail -30 "$fresh.log" >&2
    rm -rf --one-file-system "$fresh" "$fresh.log"
    fail "debootstrap failed"
  }
  chmod 755 "$fresh"
  tar -C "$fresh" --numeric-owner -czf "$base.part" . && mv "$base.part" "$base"
  rm -rf --one-file-system "$fresh" "$fresh.log"
  step "debootstrap (once per machine)"
fi

work=$(mktemp -d /var/tmp/tessary-fresh.XXXXXX)
root=$work/root
mounts=()
cleanup() {
  local status=$? p i
  # Whatever still runs inside the root (an X server, a console, gpg-agent) would hold the mounts.
  for p in /proc/[0-9]*; do
    [ "$(readlink "$p/root" 2>/dev/null)" = "$root" ] && kill -KILL "${p#/proc/}" 2>/dev/null
  done
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
    umount -R "${mounts[i]}" 2>/dev/null || umount -R -l "${mounts[i]}" 2>/dev/null || true
  done
  # Never remove while anything is mounted below: a bind mount would take the host's files with it.
  if findmnt -rn -o TARGET | grep -q "^$root\(/\|$\)"; then
    say "left $work in place: still mounted below it" >&2
  else
    rm -rf --one-file-system "$work"
  fi
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

mkdir "$root"
tar -C "$root" --numeric-owner -xzf "$base"
chmod 755 "$root"
bind() {  # bind SOURCE TARGET: recursive, and private to the root so that unmounting touches nothing here
  mkdir -p "$2"
  mounts+=("$2")
  mount --rbind "$1" "$2"
  mount --make-rslave "$2"
}
mounts+=("$root/proc")
mount -t proc proc "$root/proc"
bind /dev "$root/dev"
bind /sys "$root/sys"

# The root reaches the same mirror as this machine; it has no services to start.
awk '{ printf "deb %s %s %s\n", $1, $2, ($3 == "" ? "main" : substr($0, index($0, $3))) }' <<<"$sources" \
  >"$root/etc/apt/sources.list"
cp -L /etc/resolv.conf "$root/etc/resolv.conf"
cp -L /etc/hosts "$root/etc/hosts"
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
chmod 755 "$root/usr/sbin/policy-rc.d"
# No one sits at the terminal to answer apt-get's "Do you want to continue?"; the answer is yes.
printf 'APT::Get::Assume-Yes "true";\nDpkg::Use-Pty "0";\n' >"$root/etc/apt/apt.conf.d/90no-one-at-the-terminal"

chroot "$root" groupadd --gid "$uid" "$user"
chroot "$root" useradd --create-home --uid "$uid" --gid "$uid" --shell /bin/bash "$user"
printf '%s ALL=(ALL) NOPASSWD: ALL\nDefaults env_keep += "DEBIAN_FRONTEND"\n' "$user" >"$root/etc/sudoers.d/$user"
chmod 440 "$root/etc/sudoers.d/$user"
# A compiler cache kept across runs: it changes how long the build takes, never what it makes. It starts from
# a copy of this machine's own cache, which the tests in CI's clone have just filled with the same compiler,
# headers and flags (build.sh makes paths relative to the clone), so a new CI machine builds once, not twice.
mkdir -p "$cache/ccache"
host_cache=$(ccache -k cache_dir 2>/dev/null || true)
if [ -n "$host_cache" ] && [ -d "$host_cache" ]; then cp -a -u "$host_cache/." "$cache/ccache/"; fi
chown -R "$uid:$uid" "$cache/ccache"
bind "$cache/ccache" "$root/home/$user/.cache/ccache"
chown "$uid:$uid" "$root/home/$user/.cache"
git clone -q --bare --no-hardlinks "$repo" "$root/srv/tessary.git"
git -C "$root/srv/tessary.git" cat-file -e "$commit" 2>/dev/null ||
  git -C "$root/srv/tessary.git" fetch -q "$repo" "$commit"
chown -R "$uid:$uid" "$root/srv/tessary.git"
step "root unpacked, user made"

as_user() {
  chroot --userspec="$uid:$uid" --groups="$uid" "$root" /usr/bin/env -i HOME="/home/$user" USER="$user" \
    LOGNAME="$user" PATH=/usr/local/bin:/usr/bin:/bin LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive TERM=dumb \
    /bin/bash -c "cd && $1"
}
as_user "git clone -q /srv/tessary.git tessary && git -C tessary checkout -q --detach $commit" ||
  fail "git clone of $commit"
say "cloned $(as_user "git -C tessary log -1 --format='%h %s'")"
step "clone"

# The README's commands, taken from the README itself so that the two cannot drift apart.
readme=$root/home/$user/tessary/README.md
test_command=$(sed -n 's/^\(scripts\/test\.sh\)[[:space:]]*\(#.*\)\{0,1\}$/\1/p' "$readme" | head -1)
[ -n "$test_command" ] || fail "the README names no test command (a line starting with scripts/test.sh)"
package_steps=$(awk '/^## Install the package/ { f = 1; next } f && /^```/ { if (in_block) exit; in_block = 1; next }
                     f && in_block' "$readme" | sed 's/[[:space:]]\{1,\}#.*$//')
[ -n "$package_steps" ] || fail "the README's \"Install the package\" section has no command block"
purge_command=$(grep -o 'sudo apt-get purge tessary' "$readme" | head -1)
[ -n "$purge_command" ] || fail "the README does not say how to remove the package"

say "the README's test command: $test_command"
as_user "cd tessary && $test_command" 2>&1 | tee "$work/test.log" || fail "$test_command"
# CTest counts a skipped test as passed; here, with nothing beside the clone, every test must have run.
if grep -q "The following tests did not run" "$work/test.log"; then
  fail "$test_command skipped tests in a clone with nothing beside it"
fi
step "$test_command"

say "the README's package steps:"
sed 's/^/    /' <<<"$package_steps"
as_user "cd tessary && set -euo pipefail && $package_steps" || fail "the README's package steps"
as_user "dpkg-query -W -f='\${Status} \${Version}\n' tessary" | grep -q '^install ok installed' ||
  fail "the package is not installed after the README's steps"
step "package steps (setup, build, cpack, apt-get install)"

say "tessary-prepare on a test picture"
as_user 'out=$(mktemp -d) && tessary-prepare tessary/tests/data/jpeg/Landscape_1.jpg "$out/prepared.bmp" &&
  size=$(stat -c %s "$out/prepared.bmp") && rm -r "$out" && [ "$size" = 32830 ]' ||
  fail "tessary-prepare did not write a 512 x 512 1-bit BMP"

say "a screenshot of the installed console on the virtual engraver, under Xvfb"
as_user 'd=$(mktemp -d); mkdir "$d/fb" "$d/ports" "$d/run"; chmod 700 "$d/run"
  Xvfb :7 -screen 0 1280x800x24 -nolisten tcp -noreset -fbdir "$d/fb" >"$d/xvfb.log" 2>&1 &
  x=$!
  tessary-virtual-engraver --port-dir "$d/ports" --com 1 >"$d/engraver.log" 2>&1 &
  e=$!
  for _ in $(seq 50); do [ -e "$d/ports/COM1" ] && [ -e /tmp/.X11-unix/X7 ] && break; sleep 0.1; done
  DISPLAY=:7 TESSARY_PORT_DIR="$d/ports" XDG_RUNTIME_DIR="$d/run" tessary >"$d/console.log" 2>&1 &
  c=$!
  sleep 5
  ok=0
  kill -0 "$c" && cp "$d/fb/Xvfb_screen0" ~/screen.xwd && ok=1
  kill "$c" "$e" "$x" 2>/dev/null
  wait
  [ "$ok" = 1 ] || cat "$d/xvfb.log" "$d/console.log" >&2
  rm -rf "$d"
  [ "$ok" = 1 ]' || fail "the installed console did not stay up under Xvfb"
shot=$cache/fresh-machine-screenshot.png
if command -v convert >/dev/null && convert "xwd:$root/home/$user/screen.xwd" "$shot" 2>/dev/null; then
  say "screenshot: $shot"
else
  cp "$root/home/$user/screen.xwd" "${shot%.png}.xwd" && say "screenshot: ${shot%.png}.xwd"
fi

say "the README's removal: $purge_command"
as_user "$purge_command" >/dev/null || fail "$purge_command"
as_user 'dpkg-query -W tessary' >/dev/null 2>&1 && fail "the package is still known to dpkg after the purge"
as_user 'ls /usr/bin/tessary*' 2>/dev/null && fail "programs left after the purge"
step "prepare, screenshot, purge"

say "passed; times:"
printf '    %s\n' "${timings[@]}"
