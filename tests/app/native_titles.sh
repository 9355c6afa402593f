#!/usr/bin/env bash
# The client on a real X display (Xvfb): the title the window manager reads
# off the login window is its caption exactly, with nothing appended.
#   native_titles.sh ZELCRM ZELCRM_ADMIN SOURCE_DIR
set -euo pipefail
client=$1 admin=$2 source=$3
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

"$admin" init-db "$work/zelcrm.db" --demo >/dev/null
"$admin" init-db "$work/secondary.db" --demo >/dev/null
(umask 077; sed -e "s|@DATA@|$work|g" "$source/etc/zelcrm.demo.ini" >"$work/demo.ini")

Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
unset QT_QPA_PLATFORM

"$client" --config "$work/demo.ini" >"$work/client.log" 2>&1 &
pids+=($!)

window=""
for _ in $(seq 200); do
  window=$(xwininfo -root -tree 2>/dev/null | awk '/"ZEL CRM PORTAL/ {print $1; exit}')
  [ -n "$window" ] && break
  sleep 0.1
done
if [ -z "$window" ]; then
  echo "no login window appeared"; cat "$work/client.log"; exit 1
fi
title=$(xprop -id "$window" -notype _NET_WM_NAME | sed -e 's/^_NET_WM_NAME = "//' -e 's/"$//')
legacy=$(xprop -id "$window" -notype WM_NAME | sed -e 's/^WM_NAME = "//' -e 's/"$//')
echo "login window title: [$title] / [$legacy]"
[ "$title" = "ZEL CRM PORTAL" ] && [ "$legacy" = "ZEL CRM PORTAL" ]
