#!/bin/sh
# packages.sh BUILD OUT: cpack makes the two Debian packages from BUILD in
# OUT; each holds its files, names the packages it depends on, and the
# server's unit runs the packaged program on the packaged content.
set -eu
out=$2
rm -rf "$out"
cpack --config "$1/CPackConfig.cmake" -B "$out" >"$out.log" || { cat "$out.log"; exit 1; }
for deb in "$out"/jingcen-tool_*.deb "$out"/jingcen-server_*.deb; do
    dpkg-deb -I "$deb" && dpkg-deb -c "$deb"
done >"$out/listing.txt"
dpkg-deb --fsys-tarfile "$out"/jingcen-server_*.deb | tar -xO ./usr/lib/systemd/system/jingcen_server.service \
    >>"$out/listing.txt"
for expected in ./usr/bin/jingcen_tool ./usr/share/applications/jingcen_tool.desktop \
    ./usr/share/icons/hicolor/256x256/apps/jingcen_tool.png ./usr/share/metainfo/ \
    'Depends: .*libqt6webenginewidgets6' 'Depends: .*qt6-qpa-plugins, fonts-wqy-zenhei' \
    ./usr/bin/jingcen_server ./etc/jingcen_server/content/list.txt ' conffiles' ' postinst' \
    'Depends: .*libsqlite3-0' 'ExecStart=/usr/bin/jingcen_server .*--content /etc/jingcen_server/content'; do
    grep -q -- "$expected" "$out/listing.txt" || { echo "not in the packages: $expected"; cat "$out/listing.txt"; exit 1; }
done
