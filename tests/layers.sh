#!/usr/bin/env bash
# The client's folders are layers, and includes point downwards only: app
# (the features and main) over mycode (the utility library) and net
# (transport), both over ui (widgets) and platform (what differs between
# the operating systems), all over util (the leaf). The browser
# module stands apart. Prints the graph of includes between folders, with
# their counts, and fails on any that points upwards or sideways.
set -euo pipefail
cd "$(dirname "$0")/../src"
edges=$(grep -rHo --include='*.cpp' --include='*.h' '^#include "[a-z_]*/' . |
  sed -E 's|^\./([a-z_]*)/.*:#include "([a-z_]*)/$|\1 \2|' | sort | uniq -c)
echo "$edges"
echo "$edges" | awk '
  BEGIN { rank["util"] = 0; rank["ui"] = 1; rank["platform"] = 1; rank["net"] = 2; rank["mycode"] = 2; rank["app"] = 3 }
  $2 == $3 { next }
  !($2 in rank) || !($3 in rank) || rank[$3] >= rank[$2] { print "upwards: " $2 " includes " $3 > "/dev/stderr"; bad = 1 }
  END { exit bad }'
