#!/bin/bash
# A whole documentation set from a Debian package, packed with vxb and served by vxstserve:
# every file, fetched by each of 8 concurrent clients in its own shuffled order, comes back
# byte for byte with its type, and no link that works in the folder fails in the archive
# (docset_check.py). Once with the server's answer cache and once without, so that every
# answer also comes from the reader whatever was read before it. DOCSET_SEED repeats the
# orders (the seed used is printed).
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
stop_server() {
  if [ -n "$serve_pid" ]; then kill "$serve_pid" 2>/dev/null || true; wait "$serve_pid" 2>/dev/null || true; fi
  serve_pid=
}
cleanup() {
  stop_server
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$build/tools/vxb/vxb" pack "$folder" -o "$scratch/docs.vxb" --name "$name" --firm-code 1 \
  >/dev/null || fail "vxb pack $folder"
mkdir -p "$scratch/registry" "$scratch/cache"
seed=${DOCSET_SEED:-$RANDOM}
for options in "" "--cache-mb 0"; do
  # shellcheck disable=SC2086 # the options are words
  VXST_REGISTRY_DIR=$scratch/registry VXST_CACHE_DIR=$scratch/cache \
    "$build/host/vxstserve" "$scratch/docs.vxb" $options >"$scratch/serve.out" 2>"$scratch/serve.err" &
  serve_pid=$!
  for _ in $(seq 300); do [ "$(wc -l <"$scratch/serve.out")" -ge 1 ] && break; sleep 0.1; done
  archive_url=$(sed -n 1p "$scratch/serve.out")
  [ -n "$archive_url" ] || fail "vxstserve printed no URL: $(cat "$scratch/serve.err")"
  echo "vxstserve ${options:-with its answer cache}:"
  python3 "$(dirname "$0")/docset_check.py" "$folder" "$archive_url" 8 "$seed"
  stop_server
done
