#!/usr/bin/env bash
# The release check: the 32-bit product exactly as it ships (build/i686, laid
# out by its install rules) as users run it, a 32-bit process on 64-bit
# Windows (scripts/wow64.sh). In one server lifetime: /RegServer, a 64-bit and
# a 32-bit client calling the 32-bit server, the Remote Desktop dialog over a
# staged installation, Repair writing both add-in keys, a connection test, the
# log, the end after the last release; then /UnregServer. Saves
# docs/screenshots/remote-desktop-i686-96dpi.png.
#
# Usage (root): scripts/test-i686.sh        exit 0 when every check passes
# A failed run keeps the clients' outputs, the log and the list of processes
# still alive in build/runs/i686-failed/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
say() { echo "test-i686: $*"; }
fail() {
  echo "test-i686: FAIL: $*" >&2
  [ -z "${run_dir:-}" ] && exit 1
  local kept="$root/build/runs/i686-failed"
  rm -rf "$kept" && mkdir -p "$kept"
  cp "$run_dir"/*.txt "${log:-/nonexistent}" "$kept/" 2>/dev/null || true
  ps -eo pid,etime,time,args > "$kept/processes.txt" 2>/dev/null || true
  exit 1
}

# --- outside: the shipped build, the 64-bit client and the plug-in double ---
if [ "${1:-}" != --inside ]; then
  "$root/scripts/build.sh" i686 >/dev/null
  if [ -f "$root/build/x86_64/CMakeCache.txt" ]; then
    cmake --build "$root/build/x86_64" --target farlinkdrive plugin_double >/dev/null
  else
    "$root/scripts/build.sh" x86_64 >/dev/null
  fi
  start=$SECONDS
  status=0
  "$root/scripts/wow64.sh" "$0" --inside || status=$?
  say "run took $((SECONDS - start)) s"
  exit "$status"
fi

# --- inside the 32-bit environment ---
isolated() {  # the system's own view, from the parent's namespace
  nsenter --mount="/proc/$PPID/ns/mnt" -- test ! -e /usr/lib/wine/wine ||
    fail "the 32-bit loader is visible outside the namespace"
}
isolated

run_dir="$root/build/runs/i686-$$"
mkdir -p "$run_dir"
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
# The 32-bit client starts first and waits on its stdin before it calls
# anything; it says when it is up (count needs no server).
mkfifo "$run_dir/go64" "$run_dir/go32"
exec 3<>"$run_dir/go64" 4<>"$run_dir/go32"
timeout 1800 wine "$i686/farlinkdrive.exe" count:desktop wait-input pid late-pid testprogress release \
  <&4 > "$run_dir/client32.txt" 2>&1 &
caller=$!
helpers=$caller

timed /RegServer wine "$server" /RegServer || fail "/RegServer failed"
for c in "$clsid" "$clsid2"; do
  key "HKLM\\Software\\Classes\\CLSID\\$c\\LocalServer32" /reg:32 || fail "no 32-bit class key $c"
  ! key "HKLM\\Software\\Classes\\CLSID\\$c" /reg:64 || fail "class key $c in the 64-bit view"
done
key "HKCR\\TypeLib\\$libid\\1.0\\0\\win32" || fail "type library not registered for win32"

stage_installation "$x64/plugin_double.dll"  # what the dialog finds

# The 64-bit client drives and outlives the server. It waits on its stdin
# while the 32-bit client calls, with the Remote Desktop dialog still open,
# then closes it and releases last.
drive() {
  timeout 1200 wine "$x64/farlinkdrive.exe" --wait 120 --tester name=Farlink,auth=true connect pid \
    show:enu wait-dialog:desktop read:desktop click:desktop:repair message-box sleep:500 \
    read:desktop "shot:desktop:$win_run\\remote-desktop.bmp" click:desktop:test \
    wait-dialog:status read:status click:status:close wait-gone:status \
    wait-input testprogress click:desktop:close wait-gone:desktop release watch-exit \
    <&3 > "$run_dir/client64.txt" 2>&1 &
  driver=$!
  helpers="$caller $driver"
}
wait_for "$run_dir/client32.txt" 'count desktop=' $caller || fail "the 32-bit client did not start"
log="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Corvane/Shared/Farlink/1/RemoteDesktop.txt"
rm -f "$log"  # /RegServer made it; the server makes it again first thing
t=$SECONDS
drive
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
# The 32-bit processes' stderr ends up here too: a crash Wine or qemu
# reports fails the run, even one after the exit code was given.
! grep -e '^wine: Unhandled' -e '^qemu: uncaught' "$run_dir/a.txt" "$run_dir/b.txt" ||
  fail "a 32-bit process crashed"

has() { grep -qxF -- "$2" "$run_dir/$1.txt" || fail "$1: no line \"$2\""; }
pid=$(sed -n 's/^pid=\([0-9]*\) -> 0x00000000$/\1/p' "$run_dir/a.txt")
[ -n "$pid" ] || fail "the 64-bit client got no server"
has a "show -> 0x00000000"
has a "message=The remote channels have been repaired."
has a "repair=disabled"
has a "line=RDP channel working\\r\\n"
# No remote client runs here.
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
