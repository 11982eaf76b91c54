#!/bin/bash
# The first session of the manual (guide/serving.htm), its commands run as the
# page writes them against a scratch registry: a small site is packed,
# registered and served, and its page comes back under vexost://Manual/.
#
#   first_session_test.sh BUILD_DIR PAGE
set -euo pipefail

build=$(cd "$1" && pwd)
page=$2
scratch=$(mktemp -d /tmp/vxst-first-session.XXXXXX)
serve_pid=
cleanup() {
  if [ -n "$serve_pid" ]; then kill "$serve_pid" 2>/dev/null || true; wait "$serve_pid" 2>/dev/null || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

export VXST_REGISTRY_DIR=$scratch/registry VXST_CACHE_DIR=$scratch/cache VXST_UI=none
mkdir -p "$scratch/site" "$VXST_REGISTRY_DIR" "$VXST_CACHE_DIR"
echo '<p>Read in the first session.</p>' >"$scratch/site/index.htm"

# The lines of the <pre> block after the heading "A first session".
mapfile -t commands < <(sed -n '/A first session/,/<\/pre>/p' "$page" | sed -e '1d' -e 's/<\/\?pre>//g')
[ "${#commands[@]}" -eq 3 ] || fail "expected three commands, found: ${commands[*]}"
programs() {
  sed -e "s|^vxb |$build/tools/vxb/vxb |" -e "s|^vxstreg |$build/registrar/vxstreg/vxstreg |" \
      -e "s|^vxstserve|$build/host/vxstserve|" <<<"$1"
}

cd "$scratch"
for command in "${commands[@]:0:2}"; do
  eval "$(programs "$command")" >>"$scratch/run.out" 2>&1 || fail "$command: $(cat "$scratch/run.out")"
done
eval "$(programs "${commands[2]}")" >"$scratch/serve.out" 2>"$scratch/serve.err" &
serve_pid=$!
for _ in $(seq 300); do [ -s "$scratch/serve.out" ] && break; sleep 0.1; done
root=$(sed -n 1p "$scratch/serve.out")
[ -n "$root" ] || fail "vxstserve printed no address: $(cat "$scratch/serve.err")"
origin=$(sed -E 's|^(http://[^/]+).*|\1|' <<<"$root")
body=$(curl -s -g -L "$origin/vexost://Manual/") || fail "no answer from $origin"
grep -q 'Read in the first session.' <<<"$body" || fail "vexost://Manual/ gave: $body"
echo "first session: packed, registered and served"
