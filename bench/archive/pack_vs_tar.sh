#!/usr/bin/env bash
# vxb pack against tar czf on the same tree: time, throughput and size.
#   bench/archive/pack_vs_tar.sh [BUILD_DIR] [TREE]
# Without TREE a documentation-like tree of 3000 pages, pictures and style sheets
# is generated (about 60 MiB).
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
tree=${2:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ -z "$tree" ]; then
  tree=$work/tree
  python3 - "$tree" <<'PY'
import os, random, sys
root = sys.argv[1]
random.seed(1)
words = ("archive topic chunk stream buffer reader writer table index cache server client "
         "session request response handler module registry catalog viewer window dialog "
         "message error setting folder file path name link page image style").split()
for i in range(3000):
    folder = os.path.join(root, "section%d" % (i % 20), "part%d" % (i % 7))
    os.makedirs(folder, exist_ok=True)
    size = random.randint(2000, 40000)
    text = ["<html><body>"]
    while sum(map(len, text)) < size:
        text.append(("<p>" if random.random() < .1 else " ") + random.choice(words))
    open(os.path.join(folder, "page%d.htm" % i), "w").write("".join(text))
    if i % 10 == 0:
        open(os.path.join(folder, "pic%d.png" % i), "wb").write(os.urandom(random.randint(1000, 60000)))
    if i % 100 == 0:
        open(os.path.join(folder, "style%d.css" % i), "w").write("body { margin: 0 }\n" * 200)
PY
fi
bytes=$(du -sb "$tree" | cut -f1)
seconds() { local start=$(date +%s.%N); "$@" > /dev/null; echo "$(date +%s.%N) - $start" | bc; }
sync
t_vxb=$(seconds "$build/tools/vxb/vxb" pack "$tree" -o "$work/tree.vxb" --name Bench)
t_tar=$(seconds tar czf "$work/tree.tar.gz" -C "$tree" .)
report() {  # name seconds size
  printf '%-10s %8.2f s %8.1f MiB/s %12d bytes (%5.1f%% of the tree)\n' "$1" "$2" \
    "$(echo "$bytes / 1048576 / $2" | bc -l)" "$3" "$(echo "100 * $3 / $bytes" | bc -l)"
}
echo "tree: $bytes bytes in $(find "$tree" -type f | wc -l) files"
report "vxb pack" "$t_vxb" "$(stat -c %s "$work/tree.vxb")"
report "tar czf" "$t_tar" "$(stat -c %s "$work/tree.tar.gz")"
