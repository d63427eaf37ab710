#!/usr/bin/env bash
# The full benchmark in one command: builds quorvane_bench, starts a private MariaDB server
# with the test services' starter, runs quorvane_bench (its paths include the engines' own
# clients, the sqlite3 shell and the mariadb client) and stops the server again. Arguments go
# to quorvane_bench (--rows N, --reps N, --paths LIST, --data DIR). Needs the packages of
# scripts/setup.sh.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"
export LC_ALL=C.UTF-8 LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen

if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVANE_WERROR=ON
fi
cmake --build "$build" --target quorvane_bench

export QUORVANE_SERVICES_DIR="$build/bench-services"
# shellcheck source=../tests/support/services.sh
source "$root/tests/support/services.sh"
trap stop_services EXIT
rm -rf "$QUORVANE_SERVICES_DIR"
mkdir -p "$QUORVANE_SERVICES_DIR"
register_odbc_drivers
start_mariadb

echo "load average before the run: $(cut -d' ' -f1-3 /proc/loadavg)"
"$build/bench/quorvane_bench" "$@"
echo "load average after the run: $(cut -d' ' -f1-3 /proc/loadavg)"
