#!/usr/bin/env bash
# Builds the Debian package from the build tree and checks it the way Debian does (lintian,
# appstreamcli), then installs it on this machine, checks the launcher is the zpay://
# handler, removes (purges) it and checks nothing is left behind.
# Usage: deb_package_check.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$work" && cpack --config "$build/CPackConfig.cmake" -G DEB >/dev/null)
package=$(ls "$work"/nimboclient_*.deb)
dpkg-deb -c "$package" | awk '{print $6}' > "$work/contents"
grep -qx './usr/bin/NimboClient' "$work/contents"
grep -qx './usr/bin/nimbo-game' "$work/contents" || { echo "the companion command is not in the package"; exit 1; }
library=$(grep -x '\./usr/lib/.*/nimboclient/libnimbo_launcher\.so' "$work/contents" | cut -c2-)
[ -n "$library" ] || { echo "the launcher library is not in the package"; exit 1; }
for file in ./usr/share/applications/nimboclient.desktop ./usr/share/icons/hicolor/128x128/apps/nimboclient.png \
            ./usr/share/metainfo/example.tarvex.NimboClient.metainfo.xml ./usr/share/man/man1/NimboClient.1.gz ./usr/share/man/man1/nimbo-game.1.gz \
            ./usr/share/doc/nimboclient/copyright ./usr/share/doc/nimboclient/changelog.Debian.gz; do
  grep -qx "$file" "$work/contents" || { echo "not in the package: $file"; exit 1; }
done
if grep -q 'tarvex-portal\|/tests/' "$work/contents"; then echo "test tools in the package"; exit 1; fi
# Web games need no wine: recommended, never required.
dpkg-deb -f "$package" Recommends | grep -qw wine || { echo "wine is not recommended"; exit 1; }
dpkg-deb -f "$package" Recommends | grep -qw locales-all || { echo "locales-all is not recommended"; exit 1; }
if dpkg-deb -f "$package" Depends | grep -qw wine; then echo "wine is required"; exit 1; fi

# Debian's own checks: no lintian error or warning (the overrides say why where one is
# expected), and an AppStream entry software centres accept.
lintian --fail-on error,warning --tag-display-limit 0 "$package"
dpkg-deb -x "$package" "$work/root"
appstreamcli validate --no-net "$work"/root/usr/share/metainfo/*.metainfo.xml

if dpkg-query -W -f='${Status}' nimboclient 2>/dev/null | grep -q "install ok installed"; then
  echo "nimboclient is already installed here; not touching it"; exit 77
fi
[ "$(id -u)" -eq 0 ] || { echo "needs root for dpkg"; exit 77; }

installed=1
trap 'rm -rf "$work"; [ -z "${installed:-}" ] || dpkg -P nimboclient >/dev/null 2>&1 || true' EXIT
dpkg -i "$package" >/dev/null
desktop-file-validate /usr/share/applications/nimboclient.desktop
grep -qx 'MimeType=x-scheme-handler/zpay;' /usr/share/applications/nimboclient.desktop
grep -q '^Exec=/usr/bin/NimboClient %u$' /usr/share/applications/nimboclient.desktop
# The companion the games' desktop actions run starts from its installed path.
usage=$(/usr/bin/nimbo-game 2>&1 || true)
[[ $usage == "usage: nimbo-game"* ]] || { echo "the companion does not run: $usage"; exit 1; }
status=0
HOME=$work XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache /usr/bin/nimbo-game --yes uninstall nogame >/dev/null ||
  status=$?
[ "$status" = 2 ] || { echo "the companion's uninstall of no game ended with $status"; exit 1; }
# The installed executable finds its library and shows the main window (the portal may be
# down: the window comes up all the same).
if [ -n "${DISPLAY:-}" ] && command -v xdotool >/dev/null; then
  mkdir -p "$work/home" "$work/runtime" && chmod 700 "$work/runtime"
  HOME=$work/home XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/home/.config \
    XDG_CACHE_HOME=$work/home/.cache XDG_DATA_HOME=$work/home/.local/share \
    QTWEBENGINE_DISABLE_SANDBOX=1 setsid /usr/bin/NimboClient >"$work/client.log" 2>&1 &
  client=$!
  shown=0
  timeout 60 xdotool search --sync --onlyvisible --pid "$client" --name '^Tarvex Center$' >/dev/null && shown=1
  kill -- "-$client" 2>/dev/null || true
  wait "$client" 2>/dev/null || true
  [ "$shown" = 1 ] || { echo "the installed launcher showed no window:"; cat "$work/client.log"; exit 1; }
fi

handler=$(XDG_CURRENT_DESKTOP= xdg-mime query default x-scheme-handler/zpay)
echo "zpay handler: $handler"
[ "$handler" = "nimboclient.desktop" ]

dpkg -P nimboclient >/dev/null
installed=
if dpkg-query -W nimboclient >/dev/null 2>&1; then echo "dpkg still knows the package"; exit 1; fi
for path in /usr/bin/NimboClient /usr/bin/nimbo-game "$library" "$(dirname "$library")" /usr/share/applications/nimboclient.desktop \
            /usr/share/icons/hicolor/128x128/apps/nimboclient.png /usr/share/doc/nimboclient \
            /usr/share/metainfo/example.tarvex.NimboClient.metainfo.xml; do
  [ ! -e "$path" ] || { echo "left behind: $path"; exit 1; }
done
if grep -rqs nimboclient /usr/share/applications/mimeinfo.cache; then echo "stale handler in mimeinfo.cache"; exit 1; fi
echo "package installs and removes cleanly"
