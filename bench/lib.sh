# Shared by the benchmark scripts: sourced, not run.
# Sets here, runs, builds (absolute; the project's build by default), work
# (a fresh folder, removed at exit unless RDBENCH_KEEP is set).
here=$(cd "$(dirname "$0")/.." && pwd)
runs=${RUNS:-20}
builds=("$@")
[ ${#builds[@]} -gt 0 ] || builds=("$here/build")
for i in "${!builds[@]}"; do builds[$i]=$(cd "${builds[$i]}" && pwd); done
work=$(mktemp -d "${RDBENCH_TMP:-/tmp}/rdbench.XXXXXX")
trap '[ -n "${RDBENCH_KEEP:-}" ] || rm -rf "$work"' EXIT

# "main/build" for /x/main/build: names a build in the results.
build_name() { echo "$(basename "$(dirname "$1")")/$(basename "$1")"; }

# label, extra column (may be empty), seconds...: one row of results.
result_row() {
  python3 - "$@" <<'PY'
import statistics, sys
label, extra, ts = sys.argv[1], sys.argv[2], [float(t) for t in sys.argv[3:]]
if not ts:
    print("%-40s failed" % label)
else:
    q = statistics.quantiles(ts, n=4) if len(ts) > 1 else [ts[0]] * 3
    print("%-40s %8.3fs %8.3fs %s" % (label, statistics.median(ts), q[2] - q[0], extra))
PY
}
