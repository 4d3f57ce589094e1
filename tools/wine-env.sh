# Sourced by the Wine tools: one Wine prefix and one headless X display per
# cache folder, shared by every Windows program the build runs.
#   OSTREL_CACHE   cache folder (default: .cache in the repository)
#   WINEPREFIX     overrides the prefix (default: $OSTREL_CACHE/wine)
#   OSTREL_DISPLAY X display number for Xvfb (default 71)
_ostrel_repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
_ostrel_cache=${OSTREL_CACHE:-$_ostrel_repo/.cache}
mkdir -p "$_ostrel_cache"
_ostrel_cache=$(cd "$_ostrel_cache" && pwd -P)
export WINEPREFIX=${WINEPREFIX:-$_ostrel_cache/wine}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEARCH=win64
_ostrel_disp=${OSTREL_DISPLAY:-71}
export DISPLAY=:$_ostrel_disp

# Starts the shared Xvfb unless it runs already.
ostrel_xvfb() {
  if [ -e "/tmp/.X11-unix/X$_ostrel_disp" ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  rm -f "/tmp/.X$_ostrel_disp-lock" "/tmp/.X11-unix/X$_ostrel_disp"
  setsid Xvfb ":$_ostrel_disp" -screen 0 1024x768x24 -nolisten tcp \
    </dev/null >/dev/null 2>&1 &
  local i
  for i in $(seq 1 100); do
    xdpyinfo >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "wine-env: Xvfb did not start on :$_ostrel_disp" >&2
  return 1
}

# Keeps a persistent wineserver and Wine's background programs running, all
# detached from any pipe (a first 'wine' call whose output is captured would
# otherwise hand that pipe to services.exe and friends, and hang the reader).
ostrel_wine_up() {
  ostrel_xvfb || return 1
  wineserver -p </dev/null >/dev/null 2>&1 || true
  if [ ! -f "$WINEPREFIX/.ostrel-up.$(cat /proc/sys/kernel/random/boot_id)" ] \
     || ! pgrep -f 'services.exe' >/dev/null 2>&1; then
    timeout 120 wine cmd /c exit </dev/null >/dev/null 2>&1 || true
    rm -f "$WINEPREFIX"/.ostrel-up.*
    touch "$WINEPREFIX/.ostrel-up.$(cat /proc/sys/kernel/random/boot_id)"
  fi
}
