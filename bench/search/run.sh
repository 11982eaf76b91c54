#!/bin/bash
# Search benchmarks on a real documentation set: index build time against the pack
# of the same folder, index size against the archive, known-item quality and speed
# of /search and /suggest over HTTP, and the memory of vxstserve meanwhile.
#
#   bench/search/run.sh [BUILD_DIR] [DOC_DIR]
#
# Environment: COPIES=N packs the set's HTML pages N times under different folders
# into one more archive (57 copies of the Python docs make 30,210 pages) and
# measures speed and memory on it too; PAGES (quality sample, 200), SEED (1).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build}" && pwd)
docs=$(readlink -f "${2:-/usr/share/doc/python3/html}")
copies=${COPIES:-0}
[ -d "$docs" ] || { echo "run.sh: no documentation set at $docs" >&2; exit 1; }

scratch=$(mktemp -d /tmp/vxst-searchbench.XXXXXX)
server=""
cleanup() {
  if [ -n "$server" ]; then kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT
export VXST_REGISTRY_DIR=$scratch/registry VXST_CACHE_DIR=$scratch/cache/urlcache
vxb=$build/tools/vxb/vxb

# Seconds of processor time (user + system) and of the clock that a command takes.
timed() {
  local TIMEFORMAT='%U %S %R' times
  times=$( { time "$@" >/dev/null 2>"$scratch/err"; } 2>&1 )
  awk -v t="$times" 'BEGIN { split(t, f, " "); printf "%.2f s cpu, %.2f s clock", f[1] + f[2], f[3] }'
}

measure_build() {  # FOLDER ARCHIVE NAME
  echo "pack  $1: $(timed "$vxb" pack "$1" -o "$2" --name "$3")"
  echo "index $2: $(timed "$vxb" index "$2")"
  local archive index
  archive=$(stat -c %s "$2")
  index=$(stat -c %s "$scratch"/cache/search/*.idx | sort -n | tail -1)
  awk -v a="$archive" -v i="$index" 'BEGIN { printf "sizes: archive %.1f MiB, index %.1f MiB (%.1f%% of the archive)\n", a / 1048576, i / 1048576, 100 * i / a }'
}

serve() {  # ARCHIVE: starts vxstserve, sets ORIGIN, waits until the index is in use
  [ -z "$server" ] || { kill "$server"; wait "$server" 2>/dev/null || true; }
  "$build/host/vxstserve" "$1" > "$scratch/urls" &
  server=$!
  for _ in $(seq 100); do [ -s "$scratch/urls" ] && break; sleep 0.1; done
  origin=$(head -1 "$scratch/urls" | sed 's|^\(http://[^/]*\)/.*|\1|')
  for _ in $(seq 600); do
    curl -s "$origin/search?q=x&format=json" | grep -q '"pending":\[\]' && break
    sleep 1
  done
}

queries() {  # FOLDER OUT: titles of 300 pages picked at random, one a line
  python3 - "$1" "$2" <<'PY'
import html, os, random, re, sys
title = re.compile(rb"<title[^>]*>(.*?)</title>", re.S | re.I)
found = []
for root, _, files in os.walk(sys.argv[1], followlinks=True):
    for name in sorted(files):
        if name.endswith((".html", ".htm")):
            with open(os.path.join(root, name), "rb") as f:
                m = title.search(f.read(65536))
            if m:
                found.append(" ".join(html.unescape(m.group(1).decode("utf-8", "replace")).split()))
random.Random(2).shuffle(found)
open(sys.argv[2], "w", encoding="utf-8").write("\n".join(found[:300]) + "\n")
PY
}

# Peak and current resident size of the server and of each of its worker processes.
memory() {
  local pid
  for pid in "$server" $(pgrep -P "$server"); do
    echo "[$pid $(grep -E 'VmHWM|VmRSS' "/proc/$pid/status" | tr -s ' \t' ' ' | paste -sd' ')]"
  done | paste -sd' '
}

echo "machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
cp -rL "$docs" "$scratch/site"
measure_build "$scratch/site" "$scratch/docs.vxb" Docs
serve "$scratch/docs.vxb"
echo "quality, query = title without its section number:"
python3 "$here/quality.py" "$scratch/site" Docs --url "$origin" --pages "${PAGES:-200}" --seed "${SEED:-1}" | tail -2
echo "quality, query = the part of the title before its first dash:"
python3 "$here/quality.py" "$scratch/site" Docs --url "$origin" --pages "${PAGES:-200}" --seed "${SEED:-1}" --strip-suffix | tail -2
queries "$scratch/site" "$scratch/queries.txt"
echo "speed over HTTP, $(wc -l < "$scratch/queries.txt") page titles:"
python3 "$here/speed.py" "$origin" "$scratch/queries.txt" --pid "$server" --rounds 2
echo "vxstserve memory: $(memory)"

if [ "$copies" -gt 0 ]; then
  mkdir -p "$scratch/copies"
  (cd "$scratch/site" && find . -name '*.htm*' -type f) > "$scratch/pages"
  for n in $(seq -w 1 "$copies"); do
    while read -r page; do
      mkdir -p "$scratch/copies/v$n/$(dirname "$page")"
      ln -s "$scratch/site/$page" "$scratch/copies/v$n/$page"
    done < "$scratch/pages"
  done
  echo "$copies copies: $(find "$scratch/copies" -name '*.htm*' | wc -l) pages"
  rm -f "$scratch"/cache/search/*.idx
  measure_build "$scratch/copies" "$scratch/copies.vxb" Copies
  serve "$scratch/copies.vxb"
  echo "speed over HTTP on the copies:"
  python3 "$here/speed.py" "$origin" "$scratch/queries.txt" --pid "$server" --rounds 2
  echo "vxstserve memory: $(memory)"
fi
