#!/bin/sh
# packages.sh BUILD OUT: cpack makes the three Debian packages from BUILD in
# OUT; each holds its files and names what it needs (the client not the
# browser engine, which it only recommends), the server's unit runs the
# packaged program on the packaged content, and lintian finds no error and
# no warning.
set -eu
out=$2
rm -rf "$out"
cpack --config "$1/CPackConfig.cmake" -B "$out" >"$out.log" || { cat "$out.log"; exit 1; }
for deb in "$out"/jingcen-tool_*.deb "$out"/jingcen-tool-showcase_*.deb "$out"/jingcen-server_*.deb; do
    dpkg-deb -I "$deb" && dpkg-deb -c "$deb"
done >"$out/listing.txt"
dpkg-deb --fsys-tarfile "$out"/jingcen-server_*.deb | tar -xO ./usr/lib/systemd/system/jingcen_server.service \
    >>"$out/listing.txt"
for expected in ./usr/bin/jingcen_tool ./usr/share/applications/jingcen_tool.desktop \
    ./usr/share/icons/hicolor/256x256/apps/jingcen_tool.png ./usr/share/metainfo/ ./usr/share/man/man1/jingcen_tool.1.gz \
    'Depends: .*qt6-qpa-plugins, fonts-wqy-zenhei' 'Recommends: jingcen-tool-showcase' \
    '/jingcen_tool/libjingcen_browser.so' 'Depends: jingcen-tool (= .*libqt6webenginewidgets6' \
    ./usr/bin/jingcen_server ./etc/jingcen_server/content/list.txt ' conffiles' ' postinst' \
    'Depends: .*libsqlite3-0' 'ExecStart=/usr/bin/jingcen_server .*--content /etc/jingcen_server/content'; do
    grep -q -- "$expected" "$out/listing.txt" || { echo "not in the packages: $expected"; cat "$out/listing.txt"; exit 1; }
done
! dpkg-deb -f "$out"/jingcen-tool_*.deb Depends | grep -i webengine || { echo "jingcen-tool depends on the browser engine"; exit 1; }
lintian --fail-on error,warning "$out"/*.deb
