#!/usr/bin/env bash
# Builds the Debian package from the build tree, installs it on this machine, checks the
# launcher is the zpay:// handler, removes (purges) it and checks nothing is left behind.
# Usage: deb_package_check.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if dpkg-query -W -f='${Status}' nimboclient 2>/dev/null | grep -q "install ok installed"; then
  echo "nimboclient is already installed here; not touching it"; exit 77
fi
[ "$(id -u)" -eq 0 ] || { echo "needs root for dpkg"; exit 77; }

(cd "$work" && cpack --config "$build/CPackConfig.cmake" -G DEB >/dev/null)
package=$(ls "$work"/nimboclient_*.deb)
dpkg-deb -c "$package" | awk '{print $6}' > "$work/contents"
grep -qx './usr/bin/NimboClient' "$work/contents"
grep -qx './usr/share/applications/nimboclient.desktop' "$work/contents"
grep -qx './usr/share/icons/hicolor/128x128/apps/nimboclient.png' "$work/contents"
if grep -q 'tarvex-portal\|/tests/' "$work/contents"; then echo "test tools in the package"; exit 1; fi

installed=1
trap 'rm -rf "$work"; [ -z "${installed:-}" ] || dpkg -P nimboclient >/dev/null 2>&1 || true' EXIT
dpkg -i "$package" >/dev/null
desktop-file-validate /usr/share/applications/nimboclient.desktop
grep -qx 'MimeType=x-scheme-handler/zpay;' /usr/share/applications/nimboclient.desktop
grep -q '^Exec=/usr/bin/NimboClient %u$' /usr/share/applications/nimboclient.desktop
handler=$(XDG_CURRENT_DESKTOP= xdg-mime query default x-scheme-handler/zpay)
echo "zpay handler: $handler"
[ "$handler" = "nimboclient.desktop" ]

dpkg -P nimboclient >/dev/null
installed=
if dpkg-query -W nimboclient >/dev/null 2>&1; then echo "dpkg still knows the package"; exit 1; fi
for path in /usr/bin/NimboClient /usr/share/applications/nimboclient.desktop \
            /usr/share/icons/hicolor/128x128/apps/nimboclient.png; do
  [ ! -e "$path" ] || { echo "left behind: $path"; exit 1; }
done
if grep -rqs nimboclient /usr/share/applications/mimeinfo.cache; then echo "stale handler in mimeinfo.cache"; exit 1; fi
echo "package installs and removes cleanly"
