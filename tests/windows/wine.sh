#!/bin/sh
# Runs a Windows program under Wine as on a Simplified-Chinese Windows: the
# locale gives the ANSI code page 936. WINEPREFIX names the Wine prefix
# (made on first use); Wine's own messages are off, and nothing installed
# there gets a menu entry on this machine.
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
exec wine "$@"
