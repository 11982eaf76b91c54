#!/usr/bin/env bash
# Time from the start of vxstserve to its first page: the server is started with
# ARCHIVE, and as soon as it prints its URL one topic of the archive is asked
# for; the time runs until the whole answer is in. Runs RUNS times (default 7)
# after one warm-up run that registers the reader module in a scratch registry,
# and prints each time and the median.
#
#   bench/lookup/first_page.sh ARCHIVE [BUILD_DIR]
#
# SERVE=path/to/vxstserve times another build of the server (its reader module
# beside it), e.g. a copy of the build before a change; SERVE_ARGS adds options
# (e.g. "--workers 1").
set -euo pipefail
archive=$(readlink -f "$1")
build=$(cd "${2:-$(dirname "$0")/../../build}" && pwd)
serve=${SERVE:-$build/host/vxstserve}
runs=${RUNS:-7}

scratch=$(mktemp -d /tmp/vxst-firstpage.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/registry" "$scratch/cache"

# A topic to ask for: the one in the first occupied slot.
topic=$("$build/tools/vxb/vxb" lookup "$archive" $(seq -f ':%g' 0 5000) | awk -F '\t' '$1 != "-" && !found {print $2; found = 1}')  || true  # vxb lookup fails for empty slots
[ -n "$topic" ] || { echo "first_page.sh: no topic found in the first slots" >&2; exit 1; }

VXST_REGISTRY_DIR=$scratch/registry VXST_CACHE_DIR=$scratch/cache \
  python3 - "$serve" "$archive" "$topic" "$runs" <<'PY'
import os, socket, statistics, subprocess, sys, time, urllib.parse
serve, archive, topic, runs = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])

def first_page():
    start = time.monotonic()
    server = subprocess.Popen([serve, archive, "--cache-mb", "0"] + os.environ.get("SERVE_ARGS", "").split(), stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, text=True)
    try:
        url = server.stdout.readline().strip()  # http://127.0.0.1:PORT/vexost://NAME/
        host, _, path = url[len("http://"):].partition("/")
        address, _, port = host.partition(":")
        with socket.create_connection((address, int(port))) as connection:
            request = "/" + path + urllib.parse.quote(topic)
            connection.sendall(f"GET {request} HTTP/1.0\r\nHost: {host}\r\n\r\n".encode())
            answer = b""
            while chunk := connection.recv(65536):
                answer += chunk
        elapsed = time.monotonic() - start
        status = answer.split(b"\r\n", 1)[0].decode()
        if " 200 " not in status:
            sys.exit(f"first_page.sh: {request} answered {status}")
        return elapsed * 1000
    finally:
        server.terminate()
        server.wait()

first_page()  # registers the reader module
times = [first_page() for _ in range(runs)]
print(f"{archive}: {topic}")
print("start to first page, ms: " + " ".join(f"{t:.1f}" for t in times))
print(f"median {statistics.median(times):.1f} ms")
PY
