# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by the scripts of scripts/windows (sourced, not run): the Debian packages of the Windows build and
# the Windows SDK's tarball, checked and unpacked once.

windows_packages=(
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  cmake ninja-build pkg-config ccache xz-utils qt6-base-dev qt6-base-dev-tools
  wine wine64 xvfb xauth xdotool imagemagick fonts-dejavu-core fonts-droid-fallback python3
  nsis xclip unzip python3-xlib
)

# Installs the packages above that are missing (apt-get update first), through sudo when not root.
windows_install_packages() {
  local p missing=()
  for p in "${windows_packages[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "tessary: installing ${missing[*]}" >&2
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -q
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# The SDK's tarball: TESSARY_WINDOWS_SDK (the tarball or its folder), else ../shared/windows beside the clone
# (for a git worktree, beside the clone it belongs to).
windows_sdk_tarball() {
  local source=${TESSARY_WINDOWS_SDK:-} candidates=() c common
  if [ -z "$source" ]; then
    candidates+=("$here/../shared/windows")
    common=$(git -C "$here" rev-parse --path-format=absolute --git-common-dir 2>/dev/null || true)
    [ -n "$common" ] && candidates+=("$(dirname "$common")/../shared/windows")
    for c in "${candidates[@]}"; do
      if [ -d "$c" ]; then
        source=$c
        break
      fi
    done
  fi
  if [ -z "$source" ]; then
    echo "tessary: no Windows SDK: set TESSARY_WINDOWS_SDK to its tarball (tessary-winsdk-*.tar.xz, with its" \
      ".sha256 beside it), put it in ../shared/windows beside the clone, or build it with scripts/windows/sdk.sh" >&2
    return 1
  fi
  if [ -d "$source" ]; then
    local found=("$source"/tessary-winsdk-*.tar.xz)
    if [ ! -f "${found[0]}" ] || [ ${#found[@]} -ne 1 ]; then
      echo "tessary: $source should hold exactly one tessary-winsdk-*.tar.xz" >&2
      return 1
    fi
    source=${found[0]}
  fi
  [ -f "$source" ] || {
    echo "tessary: the Windows SDK $source does not exist" >&2
    return 1
  }
  echo "$(cd "$(dirname "$source")" && pwd)/$(basename "$source")"
}

# Checks the tarball against its .sha256 and prints the folder of the unpacked SDK, unpacking it the first time
# into the cache (keyed by the sha256, so a new SDK gets a folder of its own).
windows_sdk() {
  local tarball sum expected cache name folder partial
  tarball=$(windows_sdk_tarball) || return 1
  if [ ! -f "$tarball.sha256" ]; then
    echo "tessary: $tarball.sha256 is missing; the SDK cannot be checked" >&2
    return 1
  fi
  expected=$(awk '{ print $1; exit }' "$tarball.sha256")
  name=$(basename "$tarball" .tar.xz)
  cache=${XDG_CACHE_HOME:-$HOME/.cache}/tessary/winsdk/$expected
  folder=$cache/$name
  sum=$(sha256sum "$tarball" | awk '{ print $1 }')
  if [ "$sum" != "$expected" ]; then
    echo "tessary: $tarball has sha256 $sum, but $tarball.sha256 says $expected: refused" >&2
    return 1
  fi
  if [ ! -f "$folder/.unpacked" ]; then
    mkdir -p "$cache"
    partial=$(mktemp -d "$cache/unpacking.XXXXXX")
    tar -xJf "$tarball" -C "$partial"
    if [ ! -f "$partial/$name/toolchain-x86_64-w64-mingw32.cmake" ]; then
      rm -rf "$partial"
      echo "tessary: $tarball holds no $name/toolchain-x86_64-w64-mingw32.cmake" >&2
      return 1
    fi
    rm -rf "$folder"
    mv "$partial/$name" "$folder"
    rmdir "$partial"
    touch "$folder/.unpacked"
  fi
  echo "$folder"
}
