#!/usr/bin/env bash
# Sets up, builds and starts Quorvane on its embedded SQLite demo.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"

program="$root/build/app/quorvane"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    cat >&2 <<MSG
Quorvane is built, but this machine has no display to show its window on.
Start it on a virtual display instead:
    xvfb-run -a -s '-screen 0 1280x1024x24' $program --demo
MSG
    exit 1
fi
exec "$program" --demo "$@"
