#!/bin/bash
# Holds many idle and slow connections open to vxstserve and measures meanwhile how a
# normal client is served: a third of the connections only connect, a third stop in the
# middle of a request and then send one more byte every few seconds, a third stay open
# after an answer (keep-alive). While they are held, a client makes one request after
# another, each on a new connection, and the script prints the latencies (median, p99,
# the slowest), the requests that got no answer within 5 s (after 20 of them in a row
# the client gives up), and vxstserve's resident memory (all its processes) before and with
# the connections. With workers, the client is measured once more while one worker is
# stopped (SIGSTOP: as stuck on a request as a worker can be).
#
#   bench/host/idle.sh [BUILD_DIR]
#
# Environment: CONNECTIONS (held connections, default 2000), REQUESTS (the client's
# requests, default 300), SERVE_ARGS (more vxstserve options).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build}" && pwd)
connections=${CONNECTIONS:-2000}
requests=${REQUESTS:-300}

scratch=$(mktemp -d /tmp/vxst-idlebench.XXXXXX)
serve_pid=
cleanup() {
  if [ -n "$serve_pid" ]; then
    kill "$serve_pid" 2>/dev/null || true
    wait "$serve_pid" 2>/dev/null || true
  fi
  rm -rf "$scratch"
}
trap cleanup EXIT

# Room for the held connections on both sides.
ulimit -n "$(ulimit -Hn)"

mkdir -p "$scratch/site" "$scratch/registry" "$scratch/cache"
{ printf '<html><body>'; head -c 5000 /dev/zero | tr '\0' x; printf '</body></html>'; } \
  >"$scratch/site/index.htm"
"$build/tools/vxb/vxb" pack "$scratch/site" -o "$scratch/site.vxb" --name Bench --firm-code 1 \
  --start index.htm >/dev/null
VXST_REGISTRY_DIR=$scratch/registry VXST_CACHE_DIR=$scratch/cache \
  "$build/host/vxstserve" "$scratch/site.vxb" ${SERVE_ARGS:-} >"$scratch/serve.out" 2>/dev/null &
serve_pid=$!
for _ in $(seq 100); do [ -s "$scratch/serve.out" ] && break; sleep 0.1; done
url=$(head -1 "$scratch/serve.out")
[ -n "$url" ] || { echo "idle.sh: vxstserve printed no URL" >&2; exit 1; }
port=$(sed -n 's|^http://127.0.0.1:\([0-9]*\)/.*|\1|p' <<<"$url")

echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
python3 - "$port" "$serve_pid" "$connections" "$requests" <<'PY'
import os, signal, socket, sys, threading, time

port, pid, count, requests = (int(a) for a in sys.argv[1:5])
host = f"127.0.0.1:{port}"
request = f"GET /vexost://Bench/index.htm HTTP/1.1\r\nHost: {host}\r\n\r\n".encode()
closing = request[:-2] + b"Connection: close\r\n\r\n"

def workers():
    return [int(p) for p in open(f"/proc/{pid}/task/{pid}/children").read().split()]

def resident_kb():
    total = 0
    for process in [pid] + workers():
        for line in open(f"/proc/{process}/status"):
            if line.startswith("VmRSS:"):
                total += int(line.split()[1])
    return total

def ask(timeout=5.0):
    """One request on a new connection; its latency in seconds, or None without answer."""
    start = time.monotonic()
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=timeout) as s:
            s.settimeout(timeout)
            s.sendall(closing)
            answer = b""
            while True:
                chunk = s.recv(65536)
                if not chunk:
                    break
                answer += chunk
        if not answer.startswith(b"HTTP/1.1 200") or not answer.endswith(b"</body></html>"):
            return None
        return time.monotonic() - start
    except OSError:
        return None

def report(label):
    times, failed = [], 0
    for _ in range(requests):
        t = ask()
        if t is None:
            failed += 1
            if failed == 20 and not times:
                break  # a server that answers nothing: 20 tries tell enough
        else:
            times.append(t)
    times.sort()
    def at(q):
        return f"{times[min(len(times) - 1, int(q * len(times)))] * 1000:.2f} ms" if times else "-"
    print(f"  {label}: {len(times)} answered, {failed} without answer within 5 s; "
          f"median {at(0.5)}, p99 {at(0.99)}, slowest {at(1.0)}")

print(f"vxstserve resident memory: {resident_kb()} kB before")
report("normal client alone")
held, stalled = [], []
opened_at = time.monotonic()
for i in range(count):
    try:
        s = socket.create_connection(("127.0.0.1", port), timeout=1)
        kind = i % 3
        if kind == 1:
            s.sendall(request[:20])
            stalled.append(s)
        elif kind == 2:
            s.sendall(request)
        held.append(s)
    except OSError:
        pass
print(f"{len(held)} of {count} connections opened in {time.monotonic() - opened_at:.1f} s "
      f"(a third idle, a third stuck in a request, a third after an answer)")
time.sleep(1)
answered = 0
for s in held[2::3]:  # the answers of the third that asked, as far as they came
    s.setblocking(False)
    try:
        answered += 1 if s.recv(65536).startswith(b"HTTP/1.1 200") else 0
    except OSError:
        pass
print(f"{answered} of {len(held[2::3])} complete requests answered")
stop = threading.Event()
def dribble():  # the stuck ones send one more byte every 5 s
    sent = 20
    while not stop.wait(5) and sent < len(request) - 4:
        for s in stalled:
            try:
                s.send(request[sent:sent + 1])
            except OSError:
                pass
        sent += 1
threading.Thread(target=dribble, daemon=True).start()
print(f"vxstserve resident memory: {resident_kb()} kB with them")
report(f"normal client with {len(held)} held")
if len(workers()) > 1:
    stuck = workers()[0]
    os.kill(stuck, signal.SIGSTOP)
    report(f"normal client with {len(held)} held and one of {len(workers())} workers stopped")
    os.kill(stuck, signal.SIGCONT)
stop.set()
for s in held:
    s.close()
PY
