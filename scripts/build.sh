#!/usr/bin/env bash
# Configures and builds into build/ (incremental). The build type and warnings-as-errors are
# the same for the start command, the tests and CI.
# With --sanitizers: the sanitizer tree in build-sanitizers/ instead (clang, AddressSanitizer
# and UndefinedBehaviorSanitizer, the fuzz targets).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"
configure=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVANE_WERROR=ON)
if [ "${1:-}" = "--sanitizers" ]; then
    build="$root/build-sanitizers"
    # No build type: the sanitizer options choose -O1 and line tables only.
    configure=(-G Ninja -DCMAKE_BUILD_TYPE=None -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
        -DQUORVANE_SANITIZERS=ON)
fi
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" "${configure[@]}"
fi
cmake --build "$build" --parallel "$(nproc)"
