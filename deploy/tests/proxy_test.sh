#!/bin/bash
# Debian's nginx with deploy/nginx/vexost-docs.conf in front of two vxstserve hosts, all on
# loopback (ports, cache and logs in a scratch folder): answers, ETags, 304s, ranges, gzip
# and the proxy's cache through it, and a host that goes away.
#
#   deploy/tests/proxy_test.sh BUILD_DIR
set -uo pipefail

build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
nginx_bin=$(command -v nginx || echo /usr/sbin/nginx)
[ -x "$nginx_bin" ] || { echo "proxy_test: nginx is not installed" >&2; exit 77; }

scratch=$(mktemp -d /tmp/vxst-proxytest.XXXXXX)
chmod 755 "$scratch"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
  rm -rf "$scratch"
}
trap cleanup EXIT
failures=0
check() {  # NAME EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then
    echo "FAIL $1: expected [$2], got [$3]" >&2
    failures=$((failures + 1))
  fi
}

# An archive of a page large enough to be worth compressing, and a second page.
mkdir -p "$scratch/pages"
page=$(for i in $(seq 300); do echo "<p>Line $i of the team's manual.</p>"; done)
printf '%s\n' "$page" >"$scratch/pages/index.htm"
echo "<p>other</p>" >"$scratch/pages/other.htm"
"$build/tools/vxb/vxb" pack "$scratch/pages" -o "$scratch/manual.vxb" --name Manual --firm-code 3 \
  --start index.htm >/dev/null || exit 1

# Two hosts, each with two workers, as behind any proxy.
ports=()
for n in 1 2; do
  mkdir -p "$scratch/host$n/registry"
  VXST_REGISTRY_DIR=$scratch/host$n/registry VXST_CACHE_DIR=$scratch/host$n/cache \
    "$build/host/vxstserve" "$scratch/manual.vxb" --public --workers 2 >"$scratch/host$n.out" &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$scratch/host$n.out" ] && break; sleep 0.1; done
  port=$(sed -n 's|^http://127.0.0.1:\([0-9]*\)/.*|\1|p' "$scratch/host$n.out")
  [ -n "$port" ] || { echo "proxy_test: host $n did not start" >&2; exit 1; }
  ports+=("$port")
done

# The shipped site, with this test's ports and folders.
proxy_port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
mkdir -p "$scratch/nginx/cache" "$scratch/nginx/temp"
chmod 777 "$scratch/nginx/cache" "$scratch/nginx/temp"
sed -e "s|/var/cache/nginx/vexost|$scratch/nginx/cache|" \
    -e "s|listen 80;|listen 127.0.0.1:$proxy_port;|" \
    -e "s|127.0.0.1:8401|127.0.0.1:${ports[0]}|" -e "s|127.0.0.1:8402|127.0.0.1:${ports[1]}|" \
    "$here/../nginx/vexost-docs.conf" >"$scratch/nginx/site.conf"
cat >"$scratch/nginx/nginx.conf" <<CONF
daemon off;
worker_processes 1;
pid $scratch/nginx/nginx.pid;
error_log $scratch/nginx/error.log;
events { worker_connections 256; }
http {
  access_log off;
  client_body_temp_path $scratch/nginx/temp/body;
  proxy_temp_path $scratch/nginx/temp/proxy;
  fastcgi_temp_path $scratch/nginx/temp/fastcgi;
  uwsgi_temp_path $scratch/nginx/temp/uwsgi;
  scgi_temp_path $scratch/nginx/temp/scgi;
  include $scratch/nginx/site.conf;
}
CONF
"$nginx_bin" -c "$scratch/nginx/nginx.conf" -p "$scratch/nginx" 2>"$scratch/nginx/start.err" &
pids+=($!)
proxy=http://127.0.0.1:$proxy_port
for _ in $(seq 100); do curl -s -o /dev/null "$proxy/" && break; sleep 0.1; done

fetch() {  # URL CURL-OPTIONS...: status, then headers in $scratch/h, body in $scratch/b
  local url=$1
  shift
  curl -s -g --max-time 20 -o "$scratch/b" -D "$scratch/h" -w '%{http_code}' "$@" "$url"
}
header() { tr -d '\r' <"$scratch/h" | sed -n "s/^$1: //Ip" | tail -1; }

url=$proxy/vexost://Manual/index.htm
direct=http://127.0.0.1:${ports[0]}/vexost://Manual/index.htm
fetch "$direct" >/dev/null
host_etag=$(header ETag)

check "page" 200 "$(fetch "$url")"
check "page bytes" "$page" "$(cat "$scratch/b")"
etag=$(header ETag)
check "ETag as the host gives it" "$host_etag" "$etag"
check "repeated page from the proxy's cache" HIT "$(fetch "$url" >/dev/null; header X-Cache)"
check "page from the cache" "$page" "$(cat "$scratch/b")"
check "304 for its ETag" 304 "$(fetch "$url" -H "If-None-Match: $etag")"
check "200 for another ETag" 200 "$(fetch "$url" -H 'If-None-Match: "other"')"
check "range" 206 "$(fetch "$url" -r 3-9)"
check "range bytes" "${page:3:7}" "$(cat "$scratch/b")"
check "range of a page not yet cached" 206 "$(fetch "$proxy/vexost://Manual/other.htm" -r 3-7)"
check "its bytes" "other" "$(cat "$scratch/b")"
check "gzip" 200 "$(fetch "$url" -H 'Accept-Encoding: gzip')"
check "gzip coding" gzip "$(header Content-Encoding)"
check "gzip bytes" "$page" "$(gzip -dc <"$scratch/b")"
gzip_etag=$(header ETag)
check "gzip ETag" "${etag%\"}-gz\"" "$gzip_etag"
check "304 for the gzip form" 304 "$(fetch "$url" -H 'Accept-Encoding: gzip' -H "If-None-Match: $gzip_etag")"
check "plain after gzip" "" "$(fetch "$url" >/dev/null; header Content-Encoding)"
check "unknown archive" 404 "$(fetch "$proxy/vexost://Nobody/index.htm")"
check "file URL of the server" 404 "$(fetch "$proxy/file:///etc/passwd")"

# One host gone: pages not cached yet still come, from the other.
kill "${pids[0]}"
wait "${pids[0]}" 2>/dev/null
for i in 1 2 3 4; do
  check "page $i with one host gone" 200 "$(fetch "$proxy/vexost://Manual/other.htm?$i")"
done

if [ "$failures" -gt 0 ]; then
  echo "--- nginx error log" >&2
  cat "$scratch/nginx/error.log" "$scratch/nginx/start.err" >&2
  exit 1
fi
echo "proxy_test: all checks passed"
