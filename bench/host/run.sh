#!/bin/bash
# Serves a real documentation set two ways, packed into an archive by vxstserve and as a
# plain folder by nginx, and measures both with wrk on a small, a medium and the largest page.
#
#   bench/host/run.sh [BUILD_DIR] [DOC_DIR]
#
# Environment: DURATION (wrk seconds per page, default 10), THREADS (2), CONNECTIONS (16),
# SERVE_ARGS (more vxstserve options, e.g. "--cache-mb 0" to measure the reader every time).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build}" && pwd)
docs=$(readlink -f "${2:-/usr/share/doc/python3/html}")
duration=${DURATION:-10}
threads=${THREADS:-2}
connections=${CONNECTIONS:-16}

for tool in wrk nginx curl; do
  command -v "$tool" >/dev/null || [ -x "/usr/sbin/$tool" ] || { echo "run.sh: $tool is not installed" >&2; exit 1; }
done
nginx_bin=$(command -v nginx || echo /usr/sbin/nginx)
[ -d "$docs" ] || { echo "run.sh: no documentation set at $docs" >&2; exit 1; }

scratch=$(mktemp -d /tmp/vxst-hostbench.XXXXXX)
chmod 755 "$scratch"  # nginx workers run as an unprivileged user
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
  rm -rf "$scratch"
}
trap cleanup EXIT

# Symbolic links (shared scripts of the Debian package) are copied as files so both
# servers see the same bytes.
cp -rL "$docs" "$scratch/site"
site=$scratch/site

# Page closest to a wanted size, as a path relative to the site. (awk reads all its
# input: a reader that stops early would kill the pipeline under pipefail.)
page_near() {
  (cd "$site" && find . -type f -name '*.html' -printf '%s %P\n' | LC_ALL=C sort -k2) |
    awk -v want="$1" '{d = $1 - want; if (d < 0) d = -d; if (best == "" || d < bestd) {best = $2; bestd = d}}
                      END {print best}'
}
small=$(page_near 5000)
medium=$(page_near 30000)
largest=$( (cd "$site" && find . -type f -name '*.html' -printf '%s %P\n') |
  awk '$1 > size {size = $1; page = $2} END {print page}')

echo "Packing $docs ..."
"$build/tools/vxb/vxb" pack "$site" -o "$scratch/docs.vxb" --name pydocs --firm-code 1 --start index.html >/dev/null
ls -l "$scratch/docs.vxb" | awk '{print "archive size: " $5 " bytes"}'

# vxstserve, in a scratch registry and cache.
mkdir -p "$scratch/registry" "$scratch/cache"
VXST_REGISTRY_DIR=$scratch/registry VXST_CACHE_DIR=$scratch/cache \
  "$build/host/vxstserve" "$scratch/docs.vxb" ${SERVE_ARGS:-} >"$scratch/vxstserve.out" 2>"$scratch/vxstserve.err" &
serve_pid=$!
pids+=("$serve_pid")
for _ in $(seq 100); do [ -s "$scratch/vxstserve.out" ] && break; sleep 0.1; done
archive_url=$(head -1 "$scratch/vxstserve.out")
[ -n "$archive_url" ] || { echo "run.sh: vxstserve printed no URL" >&2; cat "$scratch/vxstserve.err" >&2; exit 1; }

# nginx on a free port, in the foreground, with keep-alive.
nginx_port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
mkdir -p "$scratch/nginx"
cat >"$scratch/nginx/nginx.conf" <<CONF
daemon off;
worker_processes 1;
pid $scratch/nginx/nginx.pid;
error_log $scratch/nginx/error.log;
events { worker_connections 1024; }
http {
  include /etc/nginx/mime.types;
  access_log off;
  sendfile on;
  keepalive_timeout 65;
  keepalive_requests 1000000;
  client_body_temp_path $scratch/nginx/body;
  proxy_temp_path $scratch/nginx/proxy;
  fastcgi_temp_path $scratch/nginx/fastcgi;
  uwsgi_temp_path $scratch/nginx/uwsgi;
  scgi_temp_path $scratch/nginx/scgi;
  server {
    listen 127.0.0.1:$nginx_port;
    root $site;
  }
}
CONF
"$nginx_bin" -c "$scratch/nginx/nginx.conf" -p "$scratch/nginx" -e "$scratch/nginx/error.log" \
  >/dev/null 2>"$scratch/nginx/stderr" &
pids+=($!)
nginx_url=http://127.0.0.1:$nginx_port/
for _ in $(seq 100); do curl -sf -o /dev/null "$nginx_url$small" && break; sleep 0.1; done

resident_kb() { awk '/^VmRSS/ {print $2}' "/proc/$serve_pid/status"; }

# Both servers must hand out the same bytes before their speed means anything.
for page in "$small" "$medium" "$largest"; do
  cmp -s <(curl -sf "$archive_url$page") "$site/$page" || { echo "run.sh: vxstserve serves $page wrongly" >&2; exit 1; }
  cmp -s <(curl -sf "$nginx_url$page") "$site/$page" || { echo "run.sh: nginx serves $page wrongly" >&2; exit 1; }
done

measure() { # label url
  local out
  out=$(wrk -t"$threads" -c"$connections" -d"${duration}s" --latency "$2")
  local rate p99 transfer
  rate=$(awk '/^Requests\/sec:/ {print $2}' <<<"$out")
  p99=$(awk '$1 == "99%" {print $2}' <<<"$out")
  transfer=$(awk '/^Transfer\/sec:/ {print $2}' <<<"$out")
  printf '  %-10s %12s req/s   p99 %9s   %10s/s\n' "$1" "$rate" "$p99" "$transfer"
  # Timeouts and error answers make the figures above meaningless; show them.
  grep -E '^ *(Socket errors|Non-2xx)' <<<"$out" | sed 's/^ */             /' || true
}

echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
rss_before=$(resident_kb)
echo "wrk: $threads threads, $connections connections, ${duration}s per page"
for entry in "small:$small" "medium:$medium" "largest:$largest"; do
  label=${entry%%:*}
  page=${entry#*:}
  echo "$label page: $page ($(stat -c %s "$site/$page") bytes)"
  measure vxstserve "$archive_url$page"
  measure nginx "$nginx_url$page"
done
rss_after=$(resident_kb)
echo "vxstserve resident memory: ${rss_before} kB before, ${rss_after} kB after"
