#!/usr/bin/env bash
# The main job, end to end: installs what is missing, builds, then plays the
# maker's product with farlinkdrive against the shipped 32-bit FarlinkUI.exe as
# users run it, a 32-bit process on 64-bit Windows (scripts/wow64.sh). It asks
# FarlinkUI for the Remote Desktop dialog, reads it back, presses Repair,
# opens "Test connection...", reads the report, and saves screenshots of both
# dialogs to docs/screenshots/ (remote-desktop.png, connection-status.png).
#
# Usage (root): scripts/demo.sh [LANGUAGE [DPI]]   three letters, e.g. deu or fra
#        (default enu); DPI, e.g. 144, runs the desktop at that resolution and names
#        the screenshots after it (remote-desktop-144dpi.png, ...)
#
# The machine it shows is staged in a private prefix: the product's version
# key with the RDP plug-in file but no add-in key (so Repair has work to do),
# and a stand-in Remote Desktop client (the test double, as mstsc.exe) with
# the plug-in loaded, so the connection test has a client to report on: a
# 64-bit one, as on users' machines, whose modules the 32-bit server reads
# through its companion FarlinkScan64.exe.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
language=${1:-enu}
dpi=${2:-}

if [ "${FARLINK_DEMO_INSIDE:-}" != 1 ]; then
  "$root/scripts/setup.sh"
  "$root/scripts/build.sh" all
  FARLINK_DEMO_INSIDE=1 exec "$root/scripts/wow64.sh" "$0" "$@"
fi

source "$root/scripts/wine-session.sh"
run_dir="$root/build/runs/demo-$$"
trap 'wine_session_stop; rm -rf "$run_dir"' EXIT
wine_session_start "$run_dir"

bin=$root/build/i686/bin            # what ships
x64=$root/build/x86_64/bin          # farlinkdrive (the product) and the client doubles
shots="$root/docs/screenshots"
mkdir -p "$shots"
win_run=$(winepath -w "$run_dir")

suffix=
if [ -n "$dpi" ]; then
  # Read by every program at its start, so the server's dialogs follow it.
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
  suffix="-${dpi}dpi"
fi

# Wine activates only classes registered for the whole machine.
wine "$bin/FarlinkUI.exe" /RegServer
# The product's installation, plug-in in place, no add-in key: Repair has work to do.
stage_installation "$x64/plugin_double.dll"

# A stand-in Remote Desktop client with the plug-in loaded.
client_dir="$run_dir/client"
mkdir -p "$client_dir"
cp "$x64/client_double.exe" "$client_dir/mstsc.exe"
cp "$x64/plugin_double.dll" "$client_dir/vcbrdp.dll"
(cd "$client_dir" && wine mstsc.exe --load vcbrdp.dll >/dev/null 2>&1 &)
sleep 2

now=$(date +%s)
tester="name=Farlink,auth=true,outcome=2,status=Session/$((now - 5))/$((now - 3))/0"
wine "$x64/farlinkdrive.exe" --tester "$tester" connect "show:$language" \
  wait-dialog:desktop read:desktop \
  click:desktop:repair message-box sleep:500 read:desktop \
  "shot:desktop:$win_run\\remote-desktop.bmp" \
  click:desktop:test wait-dialog:status read:status \
  "shot:status:$win_run\\connection-status.bmp" \
  click:status:close wait-gone:status click:desktop:close wait-gone:desktop release

save_screenshot "$run_dir/remote-desktop.bmp" "$shots/remote-desktop$suffix.png"
save_screenshot "$run_dir/connection-status.bmp" "$shots/connection-status$suffix.png"
echo "demo: screenshots in docs/screenshots/ (remote-desktop$suffix.png, connection-status$suffix.png)"
