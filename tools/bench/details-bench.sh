#!/usr/bin/env bash
# The file details window's readiness against a slot's scan, on the
# benchmark tree of about 200 000 files (make-bench-tree.sh): the window
# gathers its numbers by a walk of its own when it opens (dravon-scan
# --details), the slot by its scan (dravon-scan, the program's default
# threads). farm-bench runs them in turn and gives the ratio pair by pair;
# the aim is at most 1.5. The totals must agree first.
#
#   tools/bench/details-bench.sh [TREE_DIR]     (default /tmp/dravon-bench-tree)
#
# Needs the host tree's dravon-scan (tools/build.sh host). The scan itself is
# unchanged by the window (nothing is gathered during it), so its time and
# memory are today's.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
tree=${1:-/tmp/dravon-bench-tree}
scan=$top/build/host/bin/dravon-scan
[ -x "$scan" ] || { echo "build the host tree first: tools/build.sh host" >&2; exit 1; }
"$top/tools/bench/make-bench-tree.sh" "$tree"

scan_bytes=$("$scan" --bytes "$tree" | awk -F'\t' '$1 == "bytes" {print $2}')
details_bytes=$("$scan" --details "$tree" | awk -F'\t' '$1 == "details" {print $3}')
echo "bytes: scan $scan_bytes, details $details_bytes"
[ "$scan_bytes" = "$details_bytes" ] || { echo "MISMATCH" >&2; exit 1; }

echo "A: the details window's walk; B: the slot's scan"
farm-bench -n "${RUNS:-5}" --timeout 600 --vs "$scan $tree" -- "$scan" --details "$tree"
