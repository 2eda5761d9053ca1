# Sourced by test.sh and demo.sh: a private Wine prefix, an X display and one
# persistent wineserver for the length of a run.
#
#   wine_session_start <run-dir>   sets WINEPREFIX and DISPLAY and exports them
#   wine_session_stop              stops the wineserver and the display
#
# A clean prefix is made once per build tree and copied for every run, so each
# run starts from an untouched registry without paying for wineboot again.

_wine_session_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

_wine_settings() {
  # Crash dialog off: a crashing test must fail, not wait for a click nobody
  # makes. Proxy at a dead loopback port: nothing may leave the machine; only
  # 127.0.0.1 goes direct, for the tests' own loopback servers.
  # A Wine desktop: title bars and prompt BM_CLICK without a window manager.
  # A crashed process ends at once, its report on stderr: a debugger that
  # cannot start (in both registry views) instead of winedbg, which would
  # hold the process for the test's whole time-out.
  cat <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Debugger"="farlink-no-debugger.exe"

[HKEY_LOCAL_MACHINE\Software\Wow6432Node\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Debugger"="farlink-no-debugger.exe"

[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Internet Settings]
"ProxyEnable"=dword:00000001
"ProxyServer"="127.0.0.1:9"
"ProxyOverride"="127.0.0.1"

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"
REG
}

_wine_start_display() {
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X${n}-lock" ] && continue
    Xvfb ":${n}" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    _wine_xvfb_pid=$!
    local i
    for i in $(seq 1 50); do
      [ -e "/tmp/.X11-unix/X${n}" ] && { export DISPLAY=":${n}"; return 0; }
      kill -0 "$_wine_xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
  done
  echo "wine-session: could not start Xvfb" >&2
  return 1
}

_wine_make_template() {
  local template=$1
  local tmp="${template}.tmp.$$"
  rm -rf "$tmp"
  mkdir -p "$tmp"
  echo "wine-session: making a clean prefix (once per build tree)"
  WINEPREFIX="$tmp" WINEDLLOVERRIDES="mscoree,mshtml=d" wineboot -i >/dev/null 2>&1 || true
  _wine_settings > "$tmp/drive_c/farlink-settings.reg"
  WINEPREFIX="$tmp" wine regedit /S 'C:\farlink-settings.reg' >/dev/null 2>&1
  rm -f "$tmp/drive_c/farlink-settings.reg"
  if [ -d /usr/share/wine/fonts ]; then
    cp /usr/share/wine/fonts/*.ttf "$tmp/drive_c/windows/Fonts/" 2>/dev/null || true
  fi
  WINEPREFIX="$tmp" wineserver -w
  WINEPREFIX="$tmp" wineserver -k 2>/dev/null || true
  rm -rf "$template"
  mv "$tmp" "$template"
}

wine_session_start() {
  local run_dir=$1
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=d"
  _wine_start_display || return 1

  local stamp
  stamp=$(cat "$_wine_session_dir/wine-session.sh" | md5sum | cut -c1-8)
  local template="${WINE_TEMPLATE_DIR:-$run_dir/..}/wine-template-$stamp"
  [ -f "$template/system.reg" ] || _wine_make_template "$template"

  export WINEPREFIX="$run_dir/prefix"
  rm -rf "$WINEPREFIX"
  mkdir -p "$run_dir"
  cp -a "$template" "$WINEPREFIX"
  wineserver -p
  wine wineboot >/dev/null 2>&1 || true
}

wine_session_stop() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null || true
  [ -n "${_wine_xvfb_pid:-}" ] && kill "$_wine_xvfb_pid" 2>/dev/null || true
  _wine_xvfb_pid=
}

# The product as the maker's installer leaves it, for the demo and the release
# check: version 1.0 with RDP support in the 64-bit view, PLUGIN as vcbrdp.dll
# in both Program Files folders, no add-in keys; the session cache answers
# "Local" before the cloud check can, so nothing leaves the machine.
stage_installation() {  # plugin-dll
  wine reg add 'HKLM\Software\Corvane\Farlink' /v Version /d 1.0 /f /reg:64 >/dev/null
  wine reg add 'HKLM\Software\Corvane\Farlink\1.0' /v 'RDP Support' /t REG_DWORD /d 1 /f /reg:64 >/dev/null
  wine reg add 'HKCU\Software\Corvane\Farlink' /v Server /d Local /f >/dev/null
  local pf
  for pf in "Program Files" "Program Files (x86)"; do
    mkdir -p "$WINEPREFIX/drive_c/$pf/Corvane/Shared/Farlink/1.0"
    cp "$1" "$WINEPREFIX/drive_c/$pf/Corvane/Shared/Farlink/1.0/vcbrdp.dll"
  done
}

# A screenshot from the session as PNG, without the time stamp chunks, so an
# unchanged dialog leaves the committed file unchanged.
save_screenshot() {  # bmp png
  convert "$1" -define png:exclude-chunk=date,time "$2"
}
