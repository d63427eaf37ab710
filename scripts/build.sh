#!/usr/bin/env bash
# Configures and builds into build/ (incremental). The build type and warnings-as-errors are
# the same for the start command, the tests and CI.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVANE_WERROR=ON
fi
cmake --build "$build" --parallel "$(nproc)"
