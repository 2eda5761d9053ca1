#!/usr/bin/env bash
# Installs what building and testing FarlinkUI needs on Debian 12. Idempotent:
# packages already present are not touched, so a warm machine costs a second.
set -euo pipefail

packages=(
  cmake make
  wine wine64 libwine-dev fonts-wine
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools
  xvfb xauth x11-apps imagemagick
  gettext msitools wixl osslsigncode
  googletest
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  # -t bookworm: the i386 security index is broken at the mirror, and wine32
  # (which these machines cannot run anyway) must not be pulled in.
  "${sudo_cmd[@]}" apt-get install -y -q -t bookworm "${missing[@]}" >/dev/null
fi
