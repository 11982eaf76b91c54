#!/usr/bin/env python3
"""Speed of /search and /suggest over HTTP: each query of a file (one a line) is
asked of vxstserve as /search?q=...&format=json, and each prefix of up to 12
characters of every query as /suggest?q=...; prints median, 99th percentile and
maximum in milliseconds. One keep-alive connection, one request at a time.

    speed.py http://127.0.0.1:PORT QUERIES.txt [--archive NAME] [--rounds 1] [--pid PID]

With --pid (the server's process), also the processor time per request of the
server and its worker processes,
which a machine busy with other work leaves nearly as it is."""
import os
import argparse
import http.client
import statistics
import sys
import time
import urllib.parse


def timed(connection, target):
    start = time.perf_counter()
    connection.request("GET", target)
    answer = connection.getresponse()
    body = answer.read()
    elapsed = (time.perf_counter() - start) * 1000
    if answer.status != 200:
        raise SystemExit(f"{target}: HTTP {answer.status}: {body[:200]!r}")
    return elapsed


def family(pid):
    """PID and its descendants: vxstserve answers in worker processes of its own."""
    parents = {}
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                with open(f"/proc/{entry}/stat") as f:
                    parents.setdefault(int(f.read().rsplit(")", 1)[1].split()[1]), []).append(int(entry))
            except OSError:
                pass  # gone meanwhile
    found, waiting = [], [pid]
    while waiting:
        found.append(waiting.pop())
        waiting.extend(parents.get(found[-1], []))
    return found


def cpu_seconds(pid):
    if not pid:
        return 0.0
    total = 0
    for member in family(pid):
        try:
            with open(f"/proc/{member}/stat") as f:
                fields = f.read().rsplit(")", 1)[1].split()
        except OSError:
            continue
        total += int(fields[11]) + int(fields[12])
    return total / os.sysconf("SC_CLK_TCK")


def report(what, times, cpu=None):
    times = sorted(times)
    p99 = times[min(len(times) - 1, int(len(times) * 0.99))]
    print(f"{what:8} {len(times):6} requests  median {statistics.median(times):7.3f} ms  "
          f"p99 {p99:7.3f} ms  max {times[-1]:7.3f} ms"
          + (f"  server cpu {cpu * 1000 / len(times):6.3f} ms/request" if cpu is not None else ""))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("url")
    parser.add_argument("queries")
    parser.add_argument("--archive", default="")
    parser.add_argument("--rounds", type=int, default=1)
    parser.add_argument("--pid", type=int, default=0)
    args = parser.parse_args()
    parsed = urllib.parse.urlparse(args.url)
    connection = http.client.HTTPConnection(parsed.hostname, parsed.port, timeout=60)
    queries = [line.strip() for line in open(args.queries, encoding="utf-8") if line.strip()]
    extra = {"archive": args.archive} if args.archive else {}
    searches, suggestions = [], []
    search_cpu = suggest_cpu = 0.0
    for _ in range(args.rounds):
        start = cpu_seconds(args.pid)
        for query in queries:
            target = "/search?" + urllib.parse.urlencode({"q": query, "format": "json", **extra})
            searches.append(timed(connection, target))
        middle = cpu_seconds(args.pid)
        for query in queries:
            for n in range(1, min(len(query), 12) + 1):
                target = "/suggest?" + urllib.parse.urlencode({"q": query[:n], **extra})
                suggestions.append(timed(connection, target))
        search_cpu += middle - start
        suggest_cpu += cpu_seconds(args.pid) - middle
    report("search", searches, search_cpu if args.pid else None)
    report("suggest", suggestions, suggest_cpu if args.pid else None)


if __name__ == "__main__":
    sys.exit(main())
