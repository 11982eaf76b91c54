#!/usr/bin/env bash
# The LZ coder's figures on real HTML, beside ncompress's decoder on the same
# corpus in the same run:
#  - vxlz_bench: expansion (fast and stepwise), packing, packed sizes against a
#    plain greedy LZW, on the corpus cut into 32 KiB chunks;
#  - `compress -dc` on the whole corpus packed by `compress` (one stream, its
#    most favourable case), best CPU time of 6 runs around the benchmark;
#  - with --callgrind: instructions per output byte of Expand under callgrind
#    (the first 8 MiB of the corpus).
# Speeds are MB/s (10^6 bytes) of expanded data per second of CPU time.
# Usage: bench/lz/run.sh [BUILD_DIR] [--callgrind]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=build
callgrind=no
for arg; do
  case $arg in
    --callgrind) callgrind=yes ;;
    *) build=$arg ;;
  esac
done
export VXST_LZ_CORPUS=${VXST_LZ_CORPUS:-/usr/share/doc/python3-doc/html}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

find -L "$VXST_LZ_CORPUS" -type f \( -name '*.html' -o -name '*.htm' \) -print0 |
  LC_ALL=C sort -z | xargs -0 cat > "$work/corpus.html"
compress -c < "$work/corpus.html" > "$work/corpus.Z"

time_compress() {  # appends the CPU seconds (user + system) of each run to compress.times
  local TIMEFORMAT='%U %S'
  for _ in 1 2 3; do
    { time compress -dc "$work/corpus.Z" > /dev/null; } 2> "$work/t"
    awk '{print $1 + $2}' "$work/t" >> "$work/compress.times"
  done
}

time_compress
"$build/bench/lz/vxlz_bench" --benchmark_filter='BM_Expand|BM_Pack' \
  --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
  --benchmark_out="$work/bench.json" --benchmark_out_format=json > /dev/null 2>&1
time_compress

instructions=
if [ "$callgrind" = yes ]; then
  bytes=$(valgrind --tool=callgrind --toggle-collect='CKelLzExpandBufByte::Expand(*' \
    --callgrind-out-file="$work/callgrind.out" "$build/bench/lz/vxlz_expand_once" 8 2> /dev/null)
  ir=$(awk '/^summary:/ {print $2}' "$work/callgrind.out")
  instructions=$(awk -v ir="$ir" -v b="$bytes" 'BEGIN {printf "%.2f", ir / b}')
fi

python3 - "$work" "$instructions" "$VXST_LZ_CORPUS" <<'PY'
import json, os, sys
work, instructions, corpus = sys.argv[1], sys.argv[2], sys.argv[3]
plain = os.path.getsize(f"{work}/corpus.html")
packed_z = os.path.getsize(f"{work}/corpus.Z")
times = [float(t) for t in open(f"{work}/compress.times") if float(t) > 0]
compress = plain / min(times) / 1e6
runs = {b["run_name"]: b for b in json.load(open(f"{work}/bench.json"))["benchmarks"]
        if b.get("aggregate_name") == "median"}
rate = lambda name: runs[name]["bytes_per_second"] / 1e6
sizes = runs["BM_PackedSize/iterations:1"]
print(f"corpus: {corpus}, {plain / 1e6:.1f} MB of HTML, {int(sizes['chunks'])} chunks of at most 32 KiB")
print(f"expansion, CKelLzExpandBufByte::Expand : {rate('BM_Expand'):8.1f} MB/s")
print(f"expansion, stepwise loop (reference)   : {rate('BM_ExpandStepwise'):8.1f} MB/s")
print(f"ncompress `compress -dc`, whole corpus : {compress:8.1f} MB/s")
print(f"Expand / compress -dc                  : {rate('BM_Expand') / compress:8.2f} x")
print(f"packing, LzPacker                      : {rate('BM_Pack'):8.1f} MB/s")
print(f"stored size, LzPacker chunks           : {sizes['packed_%']:8.2f} % of the HTML")
print(f"stored size, plain greedy LZW chunks   : {sizes['plain_lzw_%']:8.2f} % "
      f"({int(sizes['chunks_larger_than_lzw'])} chunks where LzPacker is larger)")
print(f"`compress` (16-bit codes, one stream)  : {100 * packed_z / plain:8.2f} %")
if instructions:
    print(f"Expand under callgrind                 : {instructions:>8} instructions per output byte")
PY
