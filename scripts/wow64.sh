#!/usr/bin/env bash
# The 32-bit Windows that users have: 32-bit Wine in a WoW64 prefix, running
# here through qemu-user. Shared by the test suite, the release check and the demo.
#
# Usage (root): scripts/wow64.sh COMMAND [ARG...]
#   Runs COMMAND in a private mount namespace where `wine` runs 32-bit and
#   64-bit programs alike, and WINE_TEMPLATE_DIR points wine-session.sh at a
#   WoW64 prefix template. Exits with COMMAND's code.
#
# What it keeps out of the system: this machine's dpkg stays single-architecture
# amd64. Debian's wine32 (the version of the installed wine64) and its i386
# libraries, and qemu-i386 from the qemu-user package of bookworm-backports
# (a static binary that needs nothing beside it), are fetched through private
# apt states and unpacked under $FARLINK_WINE32 (default /opt/farlink-wine32).
# The 32-bit libraries are laid over /usr/lib only inside the namespace.
#
# The one thing it leaves system-wide is the binfmt_misc entry "farlink-i386",
# which hands i386 ELF programs to that qemu. It is registered disabled, and
# switched on only while a run holds it: every run takes a shared lock, and the
# last one to leave switches it off, also when it fails or is interrupted.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
w32=${FARLINK_WINE32:-/opt/farlink-wine32}
binfmt=/proc/sys/fs/binfmt_misc
entry=$binfmt/farlink-i386
lock=/run/farlink-wow64.lock
say() { echo "wow64: $*" >&2; }

# --- inside the namespace: 32-bit Wine over /usr/lib, then the command ---
if [ "${1:-}" = --inside ]; then
  shift
  mount -t overlay farlink-wine32 -o "lowerdir=$w32/root/usr/lib:/usr/lib" /usr/lib
  bin=$(mktemp -d)
  # `wine` (and Debian's launchers through `wine-stable`) start the 64-bit
  # loader, which hands 32-bit programs to the 32-bit one.
  for name in wine wine-stable; do
    printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' > "$bin/$name"
    chmod +x "$bin/$name"
  done
  export PATH="$bin:$PATH"
  export WINE_TEMPLATE_DIR="$root/build/runs/wow64"
  mkdir -p "$WINE_TEMPLATE_DIR"
  exec "$@"
fi

[ $# -gt 0 ] || { echo "usage: $0 COMMAND [ARG...]" >&2; exit 2; }
[ "$(id -u)" -eq 0 ] || { say "needs root (binfmt_misc, mount namespace)"; exit 2; }
"$root/scripts/setup.sh"

# A private apt state: private_apt DIR ARCH SOURCES-LINE; then apt-get with
# APT_CONFIG=DIR/apt.conf sees only that source and an empty dpkg status.
private_apt() {
  local dir=$1 arch=$2
  rm -rf "$dir"
  mkdir -p "$dir"/{lists/partial,archives/partial,etc/sources.list.d,etc/preferences.d}
  echo "$3" > "$dir/etc/sources.list"
  : > "$dir/status"
  cat > "$dir/apt.conf" <<EOF
APT::Architecture "$arch";
APT::Architectures { "$arch"; };
APT::Install-Recommends "false";
APT::Sandbox::User "root";
Dir::State "$dir";
Dir::State::status "$dir/status";
Dir::Cache "$dir";
Dir::Etc::SourceList "$dir/etc/sources.list";
Dir::Etc::SourceParts "$dir/etc/sources.list.d";
Dir::Etc::PreferencesParts "$dir/etc/preferences.d";
EOF
  APT_CONFIG=$dir/apt.conf apt-get update -qq
}

# The Debian mirror this machine's own apt sources name for bookworm main.
mirror() {
  apt-get indextargets --format '$(RELEASE) $(COMPONENT) $(REPO_URI)' 'Created-By: Packages' |
    awk '$1 == "bookworm" && $2 == "main" { print $3; exit }'
}

version=$(dpkg-query -W -f='${Version}' wine64)
qemu=$w32/qemu/qemu-i386
if [ "$(cat "$w32/stamp" 2>/dev/null)" != "$version" ] || [ ! -x "$qemu" ]; then
  start=$SECONDS
  site=$(mirror)
  [ -n "$site" ] || { apt-get update -qq; site=$(mirror); }
  [ -n "$site" ] || { say "no bookworm main source in this machine's apt sources"; exit 1; }
  say "unpacking 32-bit Wine $version and qemu-i386 from $site into $w32"
  rm -rf "$w32"
  mkdir -p "$w32/root" "$w32/qemu"
  keyring=/usr/share/keyrings/debian-archive-keyring.gpg

  private_apt "$w32/apt-i386" i386 "deb [arch=i386 signed-by=$keyring] $site bookworm main"
  (export APT_CONFIG=$w32/apt-i386/apt.conf
   packages=$(apt-get install -s "wine32=$version" | awk '/^Inst/ && /\[i386\]/ {print $2}')
   cd "$w32/apt-i386/archives" && apt-get download -qq $packages)
  for deb in "$w32"/apt-i386/archives/*.deb; do dpkg -x "$deb" "$w32/root"; done
  # One /usr/lib, as on this merged-/usr system: /lib/ld-linux.so.2 is found there.
  cp -a "$w32/root/lib/." "$w32/root/usr/lib/"
  rm -rf "$w32/root/lib"
  # What libwine's postinst would do: the builtin zlib1.dll that Debian made
  # from libz-mingw-w64 for the 64-bit package serves the 32-bit one too.
  cp /usr/lib/x86_64-linux-gnu/wine/i386-windows/zlib1.dll \
     "$w32/root/usr/lib/i386-linux-gnu/wine/i386-windows/"

  # Debian 12's own qemu (7.2) faults in a third of the runs and takes minutes
  # per process start; the backports one does neither.
  private_apt "$w32/apt-amd64" amd64 "deb [arch=amd64 signed-by=$keyring] $site bookworm-backports main"
  (export APT_CONFIG=$w32/apt-amd64/apt.conf
   cd "$w32/apt-amd64/archives" && apt-get download -qq qemu-user)
  dpkg -x "$w32"/apt-amd64/archives/qemu-user_*.deb "$w32/apt-amd64/qemu"
  cp "$w32/apt-amd64/qemu/usr/bin/qemu-i386" "$qemu"
  rm -rf "$w32/apt-i386" "$w32/apt-amd64"
  echo "$version" > "$w32/stamp"
  say "fetched and unpacked in $((SECONDS - start)) s"
fi

# The handler: registered off; F opens the interpreter now, so it serves
# inside any mount namespace. Magic and mask as qemu's qemu-binfmt-conf.sh has them.
[ -e "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt"
exec {held}>"$lock"
flock -s "$held"  # for the whole run
(
  flock -x 9  # one run at a time sets the entry up
  if [ -e "$entry" ] && ! grep -qxF "interpreter $qemu" "$entry"; then echo -1 > "$entry"; fi
  if [ ! -e "$entry" ]; then
    printf '%s' ":farlink-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:$qemu:F" > "$binfmt/register"
    echo 0 > "$entry"
  fi
  # Another i386 handler (a system qemu-user-static) would take our programs.
  for other in "$binfmt"/*; do
    [ "$other" = "$entry" ] && continue
    if grep -q '^magic 7f454c46010101000000000000000000020003' "$other" 2>/dev/null &&
       grep -qx enabled "$other"; then
      echo "wow64: switching off $(basename "$other")" >&2
      echo 0 > "$other"
    fi
  done
) 9>"$lock.setup"

# Off when the last run leaves: a run that can take the lock alone is the last.
switch_off() {
  flock -u "$held"
  exec {last}>"$lock"
  if flock -n -x "$last"; then echo 0 > "$entry"; fi
}
trap switch_off EXIT
echo 1 > "$entry"

status=0
unshare -m --propagation private "$0" --inside "$@" || status=$?
exit "$status"
