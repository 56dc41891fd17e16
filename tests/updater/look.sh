#!/bin/sh
# Watch the updater at work under a virtual X server: starts the demo server,
# runs `update` on two slow files and takes screenshots of the window while
# the bar moves and of the box at the end.
#   tests/updater/look.sh BUILD_DIR [OUT_DIR]
# Needs xvfb-run and ImageMagick's `import`.
set -eu
build=${1:?build folder}
out=${2:-/tmp/updater-look}
mkdir -p "$out"

if [ -z "${LOOK_INNER:-}" ]; then
    LOOK_INNER=1 exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$build" "$out"
fi

home=$(mktemp -d)
"$build/tests/updater_demo_server" > "$out/port" &
server=$!
sleep 1
port=$(cat "$out/port")

env -u http_proxy -u HTTP_PROXY HOME="$home" XDG_CONFIG_HOME="$home/.config" \
    "$build/bin/update" "http://127.0.0.1:$port/a" "http://127.0.0.1:$port/b" > "$out/console.txt" 2>&1 &
update=$!

sleep 3
import -window root "$out/progress-1.png"
sleep 3
import -window root "$out/progress-2.png"
sleep 8
import -window root "$out/result.png"

kill "$update" 2>/dev/null || true

# One address that is not there: the error box.
env -u http_proxy -u HTTP_PROXY HOME="$home" XDG_CONFIG_HOME="$home/.config" \
    "$build/bin/update" "http://127.0.0.1:$port/quick" "http://127.0.0.1:$port/missing" >> "$out/console.txt" 2>&1 &
update=$!
sleep 3
import -window root "$out/error.png"

kill "$update" "$server" 2>/dev/null || true
wait 2>/dev/null || true
rm -rf "$home"
echo "screenshots in $out"
