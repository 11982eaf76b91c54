#!/bin/bash
# A whole documentation set from a Debian package, packed with vxb and served by vxstserve:
# every file, fetched by 8 concurrent clients in a shuffled order, comes back byte for byte
# with its type, and no link that works in the folder fails in the archive
# (docset_check.py). DOCSET_SEED repeats an order (the seed used is printed).
#
#   docset_test.sh BUILD_DIR FOLDER NAME
#
# Exits 77 (skipped) when FOLDER is not installed.
set -euo pipefail

build=$(cd "$1" && pwd)
folder=$2
name=$3
[ -d "$folder" ] || { echo "$folder is not installed"; exit 77; }

scratch=$(mktemp -d /tmp/vxst-docset.XXXXXX)
serve_pid=
cleanup() {
  if [ -n "$serve_pid" ]; then kill "$serve_pid" 2>/dev/null || true; wait "$serve_pid" 2>/dev/null || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$build/tools/vxb/vxb" pack "$folder" -o "$scratch/docs.vxb" --name "$name" --firm-code 1 \
  >/dev/null || fail "vxb pack $folder"
mkdir -p "$scratch/registry" "$scratch/cache"
VXST_REGISTRY_DIR=$scratch/registry VXST_CACHE_DIR=$scratch/cache \
  "$build/host/vxstserve" "$scratch/docs.vxb" >"$scratch/serve.out" 2>"$scratch/serve.err" &
serve_pid=$!
for _ in $(seq 300); do [ "$(wc -l <"$scratch/serve.out")" -ge 1 ] && break; sleep 0.1; done
archive_url=$(sed -n 1p "$scratch/serve.out")
[ -n "$archive_url" ] || fail "vxstserve printed no URL: $(cat "$scratch/serve.err")"

python3 "$(dirname "$0")/docset_check.py" "$folder" "$archive_url" 8 "${DOCSET_SEED:-$RANDOM}"
