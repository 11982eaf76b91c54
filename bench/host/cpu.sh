#!/bin/bash
# Server CPU time per request for pages never answered before: every page of a real
# documentation set in random order, the answer cache off, 16 clients. The CPU time is
# read from /proc for the server and all its worker processes together. Each build given
# is measured in turn, side by side in one run, so that a change is compared under the
# same load of the machine.
#
#   bench/host/cpu.sh [DOC_DIR] BUILD_DIR[:SERVE_ARGS]...
#
#   e.g. bench/host/cpu.sh /usr/share/doc/python3.11-doc/html /work/wt/prime/build \
#          "build:--workers 1" "build:--workers 2"
#
# Environment: DURATION (wrk seconds per build, default 10), CONNECTIONS (16), THREADS (1),
# PIN_SERVER and PIN_CLIENT (taskset CPU lists, e.g. 1 and 0; default: no pinning).
set -euo pipefail

docs=$(readlink -f "$1")
shift
duration=${DURATION:-10}
connections=${CONNECTIONS:-16}
threads=${THREADS:-1}
[ -d "$docs" ] || { echo "cpu.sh: no documentation set at $docs" >&2; exit 1; }
command -v wrk >/dev/null || { echo "cpu.sh: wrk is not installed" >&2; exit 1; }

scratch=$(mktemp -d /tmp/vxst-cpubench.XXXXXX)
serve_pid=
cleanup() {
  [ -z "$serve_pid" ] || { kill "$serve_pid" 2>/dev/null; wait "$serve_pid" 2>/dev/null; } || true
  rm -rf "$scratch"
}
trap cleanup EXIT

first_build=${1%%:*}
cp -rL "$docs" "$scratch/site"
"$first_build/tools/vxb/vxb" pack "$scratch/site" -o "$scratch/docs.vxb" --name docs --firm-code 1 \
  --start index.html >/dev/null
# The search index is built beforehand, so that no server spends the measured time on it.
mkdir -p "$scratch/cache"
# (by the first build whose vxb builds indexes; older ones search nothing).
for entry in "$@"; do
  VXST_CACHE_DIR=$scratch/cache "${entry%%:*}/tools/vxb/vxb" index "$scratch/docs.vxb" \
    >/dev/null 2>&1 && break
done
(cd "$scratch/site" && find . -name '*.html' -printf '/vexost://docs/%P\n') | shuf >"$scratch/paths"
cat >"$scratch/paths.lua" <<LUA
local paths = {}
for line in io.lines("$scratch/paths") do paths[#paths + 1] = line end
local at = 0
function setup(thread) thread:set("start", math.random(#paths)) end
function init() at = start end
function request() at = at % #paths + 1; return wrk.format("GET", paths[at]) end
LUA
echo "$(wc -l <"$scratch/paths") pages; load average: $(cut -d' ' -f1-3 /proc/loadavg)"

# Clock ticks of user and system time of PID and its children now alive.
cpu_ticks() {
  local total=0 process
  for process in "$1" $(cat "/proc/$1/task/$1/children" 2>/dev/null); do
    total=$((total + $(awk '{print $14 + $15}' "/proc/$process/stat" 2>/dev/null || echo 0)))
  done
  echo "$total"
}
pin() { [ -n "${1:-}" ] && echo "taskset -c $1" || true; }

for entry in "$@"; do
  build=${entry%%:*}
  args=
  [ "$entry" = "$build" ] || args=${entry#*:}
  # Gone before the server starts: the shell may check it before the server's redirection.
  rm -rf "$scratch/registry" "$scratch/serve.out"
  mkdir -p "$scratch/registry"
  VXST_REGISTRY_DIR=$scratch/registry VXST_CACHE_DIR=$scratch/cache \
    $(pin "${PIN_SERVER:-}") "$build/host/vxstserve" "$scratch/docs.vxb" --cache-mb 0 $args \
    >"$scratch/serve.out" 2>"$scratch/serve.err" &
  serve_pid=$!
  for _ in $(seq 600); do [ -s "$scratch/serve.out" ] && break; sleep 0.1; done
  origin=$(sed -n 's|^\(http://127.0.0.1:[0-9]*\)/.*|\1|p' "$scratch/serve.out")
  [ -n "$origin" ] || { echo "cpu.sh: $build/host/vxstserve did not start" >&2; cat "$scratch/serve.out" "$scratch/serve.err" >&2; ps -o pid,stat,wchan:30,cmd --ppid "$serve_pid" -p "$serve_pid" >&2; exit 1; }
  sleep 1
  before=$(cpu_ticks "$serve_pid")
  out=$($(pin "${PIN_CLIENT:-}") wrk -t"$threads" -c"$connections" -d"${duration}s" \
        -s "$scratch/paths.lua" "$origin" 2>&1)
  after=$(cpu_ticks "$serve_pid")
  requests=$(awk '/requests in/ {print $1}' <<<"$out")
  if [ -z "$requests" ]; then
    status=0
    kill -0 "$serve_pid" 2>/dev/null || { wait "$serve_pid" || status=$?; }
    echo "cpu.sh: no answers from $entry (server exit status $status)" >&2
    cat "$scratch/serve.err" >&2
    exit 1
  fi
  rate=$(awk '/^Requests\/sec:/ {print $2}' <<<"$out")
  errors=$(grep -E '^ *(Socket errors|Non-2xx)' <<<"$out" | tr -s ' ' || true)
  ticks=$((after - before))
  awk -v t="$ticks" -v n="$requests" -v hz="$(getconf CLK_TCK)" -v r="$rate" -v label="$entry" \
    'BEGIN {printf "  %-40s %9s req/s  %7.1f us CPU per request\n", label, r, t / hz / n * 1e6}'
  [ -z "$errors" ] || echo "    $errors"
  [ -s "$scratch/serve.err" ] && sed "s/^/    /" "$scratch/serve.err"
  kill "$serve_pid"
  wait "$serve_pid" 2>/dev/null || true
  serve_pid=
done
