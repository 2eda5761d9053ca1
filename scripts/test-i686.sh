#!/usr/bin/env bash
# The 32-bit product exactly as it ships (build/i686, laid out by its install
# rules) under 32-bit Wine, which runs here through qemu-user. In one server
# lifetime: /RegServer, a 64-bit and a 32-bit client calling the 32-bit server,
# the Remote Desktop dialog over a staged installation, Repair writing both
# add-in keys, a connection test, the log, the end after the last release; then
# /UnregServer. Saves docs/screenshots/remote-desktop-i686-96dpi.png.
#
# Usage (root): scripts/test-i686.sh        exit 0 when every check passes
# A failed run is run again, up to FARLINK_I686_TRIES runs in all (default 2):
# the emulator faults in about one run in three.
#
# 32-bit Wine stays out of the system: its Debian packages and their i386
# libraries are unpacked into $FARLINK_WINE32 (default /opt/farlink-wine32)
# and laid over /usr/lib only inside a private mount namespace, so 64-bit Wine
# everywhere else is untouched. The i386 binfmt handler is switched off at the
# end. Every 32-bit process start costs about a minute of emulated CPU.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
w32=${FARLINK_WINE32:-/opt/farlink-wine32}
binfmt=/proc/sys/fs/binfmt_misc
say() { echo "test-i686: $*"; }
# A failed run leaves the clients' outputs, the log and the emulated
# processes still alive in build/runs/i686-failed-<attempt>.
fail() {
  echo "test-i686: FAIL: $*" >&2
  [ -z "${run_dir:-}" ] && exit 1
  local kept="$root/build/runs/i686-failed-${FARLINK_I686_ATTEMPT:-1}"
  rm -rf "$kept" && mkdir -p "$kept"
  cp "$run_dir"/*.txt "${log:-/nonexistent}" "$kept/" 2>/dev/null || true
  ps -o pid,etime,time,args -C qemu-i386-static > "$kept/processes.txt" 2>/dev/null || true
  exit 1
}

# --- outside the namespace: set-up, build, then the run in its own namespace ---
if [ "${1:-}" != --inside ]; then
  [ "$(id -u)" -eq 0 ] || fail "needs root (binfmt_misc, mount namespace)"
  start=$SECONDS
  "$root/scripts/setup.sh"
  export DEBIAN_FRONTEND=noninteractive
  dpkg-query -W -f='${Status}' qemu-user-static 2>/dev/null | grep -q 'install ok installed' ||
    apt-get install -y -q -t bookworm qemu-user-static >/dev/null
  [ -e "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt"
  # The handler is left as it was found: off, unless something else had it on.
  binfmt_was=$(head -1 "$binfmt/qemu-i386" 2>/dev/null || echo absent)
  # Debian registers no i386 handler on amd64; magic and mask as qemu's own
  # qemu-binfmt-conf.sh has them. F: the interpreter is opened now, so it
  # serves inside any mount namespace.
  [ -e "$binfmt/qemu-i386" ] || printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' > "$binfmt/register"

  # wine32 and its i386 closure from a private apt state (the system's dpkg
  # keeps its single architecture), unpacked once per Wine version.
  version=$(dpkg-query -W -f='${Version}' wine64)
  if [ "$(cat "$w32/stamp" 2>/dev/null)" != "$version" ]; then
    say "unpacking 32-bit Wine $version into $w32"
    rm -rf "$w32"
    mkdir -p "$w32"/apt/{lists/partial,cache/archives/partial,etc/sources.list.d,etc/preferences.d}
    echo 'deb [arch=i386 signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main' \
      > "$w32/apt/etc/sources.list"
    : > "$w32/apt/status"
    cat > "$w32/apt/apt.conf" <<EOF
APT::Architecture "i386";
APT::Architectures { "i386"; };
APT::Install-Recommends "false";
APT::Sandbox::User "root";
Dir::State "$w32/apt";
Dir::State::status "$w32/apt/status";
Dir::Cache "$w32/apt/cache";
Dir::Etc::SourceList "$w32/apt/etc/sources.list";
Dir::Etc::SourceParts "$w32/apt/etc/sources.list.d";
Dir::Etc::PreferencesParts "$w32/apt/etc/preferences.d";
EOF
    export APT_CONFIG=$w32/apt/apt.conf
    apt-get update -qq
    packages=$(apt-get install -s "wine32=$version" | awk '/^Inst/ && /\[i386\]/ {print $2}')
    (cd "$w32/apt/cache/archives" && apt-get download -qq $packages)
    for deb in "$w32"/apt/cache/archives/*.deb; do dpkg -x "$deb" "$w32/root"; done
    # One /usr/lib, as on this merged-/usr system: /lib/ld-linux.so.2 is found there.
    cp -a "$w32/root/lib/." "$w32/root/usr/lib/"
    rm -rf "$w32/root/lib" "$w32/apt/cache/archives"/*.deb
    # What libwine's postinst would do: the builtin zlib1.dll that Debian made
    # from libz-mingw-w64 for the 64-bit package serves the 32-bit one too.
    cp /usr/lib/x86_64-linux-gnu/wine/i386-windows/zlib1.dll "$w32/root/usr/lib/i386-linux-gnu/wine/i386-windows/"
    unset APT_CONFIG
    echo "$version" > "$w32/stamp"
  fi
  say "set-up took $((SECONDS - start)) s"

  # The product as shipped; the 64-bit client and the plug-in double.
  "$root/scripts/build.sh" i686 >/dev/null
  if [ -f "$root/build/x86_64/CMakeCache.txt" ]; then
    cmake --build "$root/build/x86_64" --target farlinkctl plugin_double >/dev/null
  else
    "$root/scripts/build.sh" x86_64 >/dev/null
  fi

  [ "$binfmt_was" = enabled ] || trap 'echo 0 > "$binfmt/qemu-i386"' EXIT
  echo 1 > "$binfmt/qemu-i386"
  # Emulator faults strike somewhere else each time (a qemu segfault, a 32-bit
  # process that crashes or stops mid-call); a fault of the product fails every run.
  tries=${FARLINK_I686_TRIES:-2}
  for attempt in $(seq "$tries"); do
    start=$SECONDS
    status=0
    FARLINK_I686_ATTEMPT=$attempt unshare -m --propagation private "$0" --inside || status=$?
    say "run took $((SECONDS - start)) s"
    [ "$status" != 0 ] && [ "$attempt" -lt "$tries" ] || break
    say "run $attempt failed (outputs in build/runs/i686-failed-$attempt); running again"
  done
  exit "$status"
fi

# --- inside the private mount namespace ---
mount -t overlay farlink-wine32 -o "lowerdir=$w32/root/usr/lib:/usr/lib" /usr/lib
isolated() {  # the system's own view, from the parent's namespace
  nsenter --mount="/proc/$PPID/ns/mnt" -- test ! -e /usr/lib/wine/wine ||
    fail "the 32-bit loader is visible outside the namespace"
}
isolated

run_dir="$root/build/runs/i686-$$"
mkdir -p "$run_dir/bin"
# `wine` (and Debian's launchers through `wine-stable`) start the 64-bit
# loader, which hands 32-bit programs to the 32-bit one.
for name in wine wine-stable; do
  printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' > "$run_dir/bin/$name"
  chmod +x "$run_dir/bin/$name"
done
export PATH="$run_dir/bin:$PATH"
export WINE_TEMPLATE_DIR="$root/build/runs/wow64"
mkdir -p "$WINE_TEMPLATE_DIR"
source "$root/scripts/wine-session.sh"
cleanup() {
  kill ${helpers:-} 2>/dev/null || true
  wine_session_stop
  rm -rf "$run_dir"
}
trap cleanup EXIT
start=$SECONDS
wine_session_start "$run_dir"
[ -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ] || fail "the prefix has no 32-bit side"
say "prefix ready after $((SECONDS - start)) s"
# A crashed process ends at once: Wine would start winedbg for it, which
# under the emulator spins for the clients' whole time-out. A debugger that
# cannot start makes Wine end the process instead.
for view in 64 32; do
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
    /v Debugger /d 'farlink-no-debugger.exe' /f /reg:$view >/dev/null
done

clsid='{5B0C2A71-3E94-4F1D-9A62-7C81D4E0B3A9}'
clsid2='{A3D6E514-0B7C-4E28-8F45-19C2B7D60E84}'
libid='{C7E19B02-5D3A-4B86-A1F0-6E4D82C39F57}'
x64="$root/build/x86_64/bin"
i686="$root/build/i686/bin"
folder="$WINEPREFIX/drive_c/Program Files (x86)/Corvane/FarlinkUI"
server='C:\Program Files (x86)\Corvane\FarlinkUI\FarlinkUI.exe'
win_run=$(winepath -w "$run_dir")
key() { wine reg query "$@" >/dev/null 2>&1; }
timed() {  # timed LABEL COMMAND...: runs it, says how long it took
  local t=$SECONDS rc=0
  "${@:2}" || rc=$?
  say "$1 took $((SECONDS - t)) s (exit $rc)"
  return $rc
}

cmake --install "$root/build/i686" --prefix "$folder" >/dev/null
for f in FarlinkUI.exe Lingua.dll Locale/deu/lc_messages/FarlinkUI.mo; do
  cmp -s "$i686/$f" "$folder/$f" || fail "installed $f differs from the build"
done

wait_for() {  # wait_for FILE TEXT PID: until FILE holds TEXT; false if PID ends first
  until grep -q -- "$2" "$1" 2>/dev/null; do kill -0 "$3" 2>/dev/null || return 1; sleep 2; done
}
# The 32-bit client starts now, so that its slow emulated start overlaps
# /RegServer's; it says when it is up (count needs no server) and waits on
# its stdin before it calls anything.
mkfifo "$run_dir/go64" "$run_dir/go32"
exec 3<>"$run_dir/go64" 4<>"$run_dir/go32"
timeout 1800 wine "$i686/farlinkctl.exe" count:desktop wait-input pid late-pid testprogress release \
  <&4 > "$run_dir/client32.txt" 2>&1 &
caller=$!
helpers=$caller

timed /RegServer wine "$server" /RegServer || fail "/RegServer failed"
for c in "$clsid" "$clsid2"; do
  key "HKLM\\Software\\Classes\\CLSID\\$c\\LocalServer32" /reg:32 || fail "no 32-bit class key $c"
  ! key "HKLM\\Software\\Classes\\CLSID\\$c" /reg:64 || fail "class key $c in the 64-bit view"
done
key "HKCR\\TypeLib\\$libid\\1.0\\0\\win32" || fail "type library not registered for win32"

# The installation the dialog finds: version 1.0 with RDP support in the
# 64-bit view, the plug-in in both Program Files folders, no add-in keys.
wine reg add 'HKLM\Software\Corvane\Farlink' /v Version /d 1.0 /f /reg:64 >/dev/null
wine reg add 'HKLM\Software\Corvane\Farlink\1.0' /v 'RDP Support' /t REG_DWORD /d 1 /f /reg:64 >/dev/null
# The session cache answers before the cloud check can.
wine reg add 'HKCU\Software\Corvane\Farlink' /v Server /d Local /f >/dev/null
for pf in "Program Files" "Program Files (x86)"; do
  mkdir -p "$WINEPREFIX/drive_c/$pf/Corvane/Shared/Farlink/1.0"
  cp "$x64/plugin_double.dll" "$WINEPREFIX/drive_c/$pf/Corvane/Shared/Farlink/1.0/vcbrdp.dll"
done

# The 64-bit client drives and outlives the server: Wine's 32-bit exception
# unwinding crashes under qemu when the server releases a proxy of a client
# that has gone. It waits on its stdin while the 32-bit client calls, with
# the Remote Desktop dialog still open, then closes it and releases last.
drive() {
  timeout 1200 wine "$x64/farlinkctl.exe" --wait 120 --tester name=Farlink,auth=true connect pid \
    show:enu wait-dialog:desktop read:desktop click:desktop:repair message-box sleep:500 \
    read:desktop "shot:desktop:$win_run\\remote-desktop.bmp" click:desktop:test \
    wait-dialog:status read:status click:status:close wait-gone:status \
    wait-input testprogress click:desktop:close wait-gone:desktop release watch-exit \
    <&3 > "$run_dir/client64.txt" 2>&1 &
  driver=$!
  helpers="$caller $driver"
}
# The launch gets the machine to itself: the 32-bit client is up and idle.
wait_for "$run_dir/client32.txt" 'count desktop=' $caller || fail "the 32-bit client did not start"
log="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Corvane/Shared/Farlink/1/RemoteDesktop.txt"
rm -f "$log"  # /RegServer made it; the server makes it again first thing
t=$SECONDS
drive
wait_for "$run_dir/client64.txt" '^create -> ' $driver || true
if grep -q '^create -> 0x80004002' "$run_dir/client64.txt"; then
  # Wine gives a local server 30 s to register its class objects, which an
  # emulated start under load can miss. The server still comes up: once it
  # has made its log, the next activation finds it.
  say "activation timed out after $((SECONDS - t)) s; activating the server it started"
  until [ -e "$log" ] || [ $((SECONDS - t)) -gt 600 ]; do sleep 2; done
  sleep 10
  wait $driver || true
  drive
fi
wait_for "$run_dir/client64.txt" '^pid=' $driver && say "activation from the 64-bit client took $((SECONDS - t)) s"
if wait_for "$run_dir/client64.txt" 'dialog status gone' $driver; then
  t=$SECONDS
  echo go >&4
  wait $caller || true
  say "the 32-bit client's calls took $((SECONDS - t)) s"
fi
echo go >&3
wait $driver || true
tr -d '\r' < "$run_dir/client64.txt" > "$run_dir/a.txt"
tr -d '\r' < "$run_dir/client32.txt" > "$run_dir/b.txt"
echo "--- 64-bit client"; cat "$run_dir/a.txt"
echo "--- 32-bit client"; cat "$run_dir/b.txt"
echo "---"
# The 32-bit processes' stderr ends up here too. Wine reports a crash it
# caught; qemu one at the very end of a process that has already given its
# exit code (the server's, every time).
faults=$(cat "$run_dir/a.txt" "$run_dir/b.txt" | grep -c -e '^wine: Unhandled' -e '^qemu: uncaught' || true)
[ "$faults" = 0 ] || say "note: $faults crash report(s) of a 32-bit process above"

has() { grep -qxF -- "$2" "$run_dir/$1.txt" || fail "$1: no line \"$2\""; }
pid=$(sed -n 's/^pid=\([0-9]*\) -> 0x00000000$/\1/p' "$run_dir/a.txt")
[ -n "$pid" ] || fail "the 64-bit client got no server"
has a "show -> 0x00000000"
has a "message=The remote channels have been repaired."
has a "repair=disabled"
has a "line=RDP channel working\\r\\n"
# The test runs, but finds no client: under qemu-user no process's module
# list can be read (EnumProcessModules fails with 998), and a 32-bit process
# cannot read a 64-bit one's on Windows either.
has a "line=Client machine with no remote host running"
has a "testprogress Completed -> 0x00000000"
has a "dialog status gone"
has b "create -> 0x00000000"
has b "pid=$pid -> 0x00000000"
grep -q "^late-pid dispid=[0-9]* pid=$pid -> 0x00000000$" "$run_dir/b.txt" || fail "late-bound call failed"
has b "testprogress Completed -> 0x00000000"
has b "released"
grep -q '^server exit=0 ended=yes' "$run_dir/a.txt" || fail "the server did not end after the last release"

# Repair from a 32-bit process on 64-bit Windows: the native key names the
# plug-in under %ProgramW6432%, KELP32 the one under Program Files (x86).
addins='HKCU\Software\Microsoft\Terminal Server Client\Default\Addins'
wine reg query "$addins\\KELP" /v Name | grep -qF 'C:\Program Files\Corvane\Shared\Farlink\1.0\vcbrdp.dll' ||
  fail "KELP does not name the native plug-in"
wine reg query "$addins\\KELP32" /v Name | grep -qF 'C:\Program Files (x86)\Corvane\Shared\Farlink\1.0\vcbrdp.dll' ||
  fail "KELP32 does not name the 32-bit plug-in"

# The log holds the listed lines (in the order found, where the list box
# sorts), each LF written CR LF, each ended by CR LF.
sed -n 's/^line=//p' "$run_dir/a.txt" | while IFS= read -r line; do
  printf '%s\r\n' "$line" | sed 's/\\n/\r\n/g; s/\\r/\r/g'
done | LC_ALL=C sort > "$run_dir/expected-log.txt"
[ -s "$run_dir/expected-log.txt" ] || fail "nothing was listed"
[ "$(wc -c < "$log")" = "$(wc -c < "$run_dir/expected-log.txt")" ] &&
  LC_ALL=C sort "$log" | cmp -s - "$run_dir/expected-log.txt" || fail "RemoteDesktop.txt differs from the listed lines"

timed /UnregServer wine "$server" /UnregServer || fail "/UnregServer failed"
for c in "$clsid" "$clsid2"; do
  ! key "HKLM\\Software\\Classes\\CLSID\\$c" /reg:32 || fail "class key $c left behind"
done
! key "HKCR\\TypeLib\\$libid" || fail "type library left registered"

isolated
mkdir -p "$root/docs/screenshots"
save_screenshot "$run_dir/remote-desktop.bmp" "$root/docs/screenshots/remote-desktop-i686-96dpi.png"
say "PASS (screenshot docs/screenshots/remote-desktop-i686-96dpi.png)"
