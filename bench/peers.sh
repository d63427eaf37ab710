#!/usr/bin/env bash
# Times the peers found on this machine on the benchmark's query, median of N with the lowest
# and highest (min - max), in the table format of quorvane_bench: Debian's sqlite3 shell (-separator '|' to a file) and the mariadb
# client (--batch --quick to a file). Each is compared with the raw file loop of its engine,
# which quorvane_bench times again here for the same N. quorvane_bench makes the data if it is
# missing. Options: --rows N (1000000), --reps N (5), --data DIR (/tmp/quorvane-bench); others
# are ignored. MariaDB needs QUORVANE_MARIADB_PORT, _USER, _PASSWORD (bench/run.sh sets them).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bench=${QUORVANE_BENCH:-$root/build/bench/quorvane_bench}
rows=1000000 reps=5 data=/tmp/quorvane-bench
while [ $# -gt 0 ]; do
    case "$1" in
    --rows) rows=$2; shift ;;
    --reps) reps=$2; shift ;;
    --data) data=$2; shift ;;
    --paths) shift ;;
    esac
    shift
done
query="SELECT id, num, ratio, code, note, stamp, remark, amount FROM bench_rows ORDER BY id"
database=${QUORVANE_MARIADB_DATABASE:-quorvane}

# The raw file loops (the ratios' baselines) and Quorvane's file outputs, which are compared
# with the peers below; this also makes the data.
paths=sqlite-raw-file,sqlite-run-file,sqlite-export-data
if [ -n "${QUORVANE_MARIADB_PORT:-}" ]; then
    paths=$paths,mariadb-raw-file,mariadb-run-file,mariadb-export-data
fi
raw_table=$("$bench" --rows "$rows" --reps "$reps" --data "$data" --paths "$paths" 2>/dev/null)

# wall and cpu seconds of one path, from quorvane_bench's table (| path | what | wall |
# min - max | cpu | ...)
raw_figures() {
    awk -F'|' -v name="$1" '$2 == " " name " " { gsub(/[ s]/, "", $4); gsub(/[ s]/, "", $6); print $4, $6; exit }' \
        <<<"$raw_table"
}

median() {
    sort -g | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'
}

# Runs "$@" reps times with its output to $out; prints median wall seconds, the lowest and the
# highest wall seconds, and median CPU (user + sys) seconds.
time_peer() {
    local out=$1 walls="" cpus="" i t
    shift
    for ((i = 0; i < reps; i++)); do
        t=$( { TIMEFORMAT='%R %U %S'; time "$@" >"$out"; } 2>&1 )
        walls+="$(awk '{ print $1 }' <<<"$t")"$'\n'
        cpus+="$(awk '{ print $2 + $3 }' <<<"$t")"$'\n'
    done
    echo "$(median <<<"${walls%$'\n'}") $(sort -g <<<"${walls%$'\n'}" | sed -n '1p;$p' | tr '\n' ' ')$(median <<<"${cpus%$'\n'}")"
}

row() { # name what wall min max cpu baseline
    local name=$1 what=$2 wall=$3 low=$4 high=$5 cpu=$6 base=$7 base_wall base_cpu
    read -r base_wall base_cpu <<<"$(raw_figures "$base")"
    awk -v n="$name" -v w="$what" -v wall="$wall" -v lo="$low" -v hi="$high" -v cpu="$cpu" -v b="$base" \
        -v bw="$base_wall" -v bc="$base_cpu" \
        'BEGIN { printf "| %s | %s | %.3f s | %.3f s - %.3f s | %.3f s | %s | %.2f | %.2f | | |\n", n, w, wall, lo, hi, cpu, b, wall / bw, cpu / bc }'
}

echo
echo "peers: $rows rows, median of $reps (cpu: the peer process's user + sys)"
echo
echo "| path | what | wall | min - max | cpu | vs | wall ratio | cpu ratio | target | |"
echo "|---|---|---|---|---|---|---|---|---|---|"
for name in sqlite-raw-file mariadb-raw-file; do
    grep -F "| $name |" <<<"$raw_table" || true
done
peer_walls=()

if command -v sqlite3 >/dev/null; then
    read -r wall low high cpu <<<"$(time_peer "$data/peer-sqlite3.txt" sqlite3 -separator '|' "$data/bench-$rows.sqlite" "$query")"
    row peer-sqlite3 "sqlite3 shell, -separator pipe, to a file ($(sqlite3 -version | cut -d' ' -f1))" \
        "$wall" "$low" "$high" "$cpu" sqlite-raw-file
    peer_walls+=("sqlite:$wall:$low:$high")
    if ! cmp -s "$data/peer-sqlite3.txt" "$data/sqlite-raw.txt"; then
        echo "note: the sqlite3 shell's file differs from sqlite-raw.txt" >&2
    fi
else
    echo "| peer-sqlite3 | not installed (Debian package sqlite3) | | | | | | | | |"
fi

if [ -z "${QUORVANE_MARIADB_PORT:-}" ]; then
    echo "| peer-mariadb | skipped: QUORVANE_MARIADB_PORT is not set | | | | | | | | |"
elif command -v mariadb >/dev/null; then
    read -r wall low high cpu <<<"$(MYSQL_PWD="${QUORVANE_MARIADB_PASSWORD:-}" time_peer "$data/peer-mariadb.txt" \
        mariadb --no-defaults --batch --quick -h 127.0.0.1 -P "$QUORVANE_MARIADB_PORT" \
        -u "${QUORVANE_MARIADB_USER:-root}" "$database" -e "$query")"
    row peer-mariadb "mariadb client --batch --quick to a file ($(mariadb --version | grep -o 'Distrib [^,]*' | cut -d' ' -f2))" \
        "$wall" "$low" "$high" "$cpu" mariadb-raw-file
    peer_walls+=("mariadb:$wall:$low:$high")
else
    echo "| peer-mariadb | not installed (Debian package mariadb-client) | | | | | | | | |"
fi

# Quorvane's file outputs against the peer of their engine (wall-clock medians, min - max).
echo
for entry in "${peer_walls[@]}"; do
    IFS=: read -r engine peer_wall peer_low peer_high <<<"$entry"
    for path in "$engine-run-file" "$engine-export-data"; do
        read -r wall _ <<<"$(raw_figures "$path")"
        [ -n "$wall" ] || continue
        range=$(awk -F'|' -v name="$path" '$2 == " " name " " { gsub(/^ +| +$/, "", $5); print $5; exit }' <<<"$raw_table")
        awk -v p="$path" -v w="$wall" -v r="$range" -v e="$engine" -v pw="$peer_wall" -v pl="$peer_low" -v ph="$peer_high" \
            'BEGIN { printf "%s: %.3f s (%s), %.2f times the %s peer (%.3f s, %.3f s - %.3f s)\n", p, w, r, w / pw, e, pw, pl, ph }'
    done
done
