#!/usr/bin/env bash
# Installs what is missing, builds, starts the reference portal and the launcher with a
# fresh demo token: the main window shows the portal, and three seconds later the portal's
# web game opens in a game window. Without a display it runs under a virtual X server for
# a while and saves a screenshot of each step into build/screenshots/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh

demo="$PWD/build/demo"
shots="$PWD/build/screenshots"
rm -rf "$demo" && mkdir -p "$demo/data" "$demo/cache" "$demo/config" "$shots"
export XDG_DATA_HOME="$demo/data" XDG_CACHE_HOME="$demo/cache" XDG_CONFIG_HOME="$demo/config"
[ "$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1

# The portal on its default address, or on any free port when that one is taken. One
# portal runs at a time: a second is started only once the first has ended (its port was
# taken), and the exit trap ends whichever one runs.
portal=
trap '[ -z "$portal" ] || kill "$portal" 2>/dev/null || true' EXIT
start_portal() {
  build/tarvex-portal --port "$1" --log "$demo/portal-requests.log" >"$demo/portal.out" 2>&1 &
  portal=$!
  # Waits until it listens or has ended, however slowly it starts.
  until grep -q listening "$demo/portal.out" 2>/dev/null; do
    kill -0 "$portal" 2>/dev/null || { wait "$portal" || true; portal=; return 1; }
    sleep 0.1
  done
}
if ! start_portal "${TARVEX_PORT:-8800}"; then
  echo "Port ${TARVEX_PORT:-8800} is taken ($(cat "$demo/portal.out")); starting the portal on a free port"
  start_portal 0 || { echo "The reference portal did not start:" >&2; cat "$demo/portal.out" >&2; exit 1; }
fi
host=$(grep -o '127\.0\.0\.1:[0-9]*' "$demo/portal.out")
export TARVEX_PORTAL_HOST="$host" TARVEX_DOWNLOAD_HOST="$host" TARVEX_DOWNLOAD_SCHEME=http
echo "Reference portal on http://$host/ (requests logged to $demo/portal-requests.log)"

# The one-time token the portal knows as the web-game player.
mkdir -p "$XDG_DATA_HOME/Tarvex/Box"
printf 'WEBGAME1' > "$XDG_DATA_HOME/Tarvex/Box/ONEREAD.TXT"

if [ -n "${DISPLAY:-}" ]; then
  build/NimboClient "$@"
  exit 0
fi

echo "No display: running under Xvfb; screenshots go to $shots"
xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" bash -c '
  shots=$1; shift
  wait_for() { for _ in $(seq 600); do xwininfo -root -children 2>/dev/null | grep -q "\"$1\"" && return 0; sleep 0.1; done; return 1; }
  build/NimboClient "$@" &
  launcher=$!
  wait_for "Tarvex Center" && sleep 2 && import -window root "$shots/1-main-window.png" && echo "  1-main-window.png"
  wait_for "Tarvex游戏" && sleep 6 && import -window root "$shots/2-game-window.png" && echo "  2-game-window.png"
  kill $launcher; wait $launcher 2>/dev/null || true
' run "$shots" "$@"
