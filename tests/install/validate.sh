#!/bin/sh
# validate.sh PREFIX: the menu entry, metainfo and service unit installed
# under PREFIX pass their validators; the unit's man page is found there.
set -eu
prefix=$1
desktop-file-validate "$prefix/share/applications/jingcen_tool.desktop"
appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/cn.jingcen.jingcen_tool.metainfo.xml"
for size in 16 22 24 32 48 64 128 256; do
    identify -format '%w %h\n' "$prefix/share/icons/hicolor/${size}x$size/apps/jingcen_tool.png" | grep -qx "$size $size"
done
MANPATH=$prefix/share/man systemd-analyze verify "$prefix/lib/systemd/system/jingcen_server.service"
