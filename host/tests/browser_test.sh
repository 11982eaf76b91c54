#!/bin/bash
# vxstserve end to end: every href and src of the served sample manual answers 200, and in
# headless Chromium an archive packed from a page with a style sheet, an image and a
# relative link renders with both (checked on the screenshot's pixels) and the link leads
# to the second page. A PDF topic (a small PDF written here) is served as application/pdf
# with its bytes, a page's script loads it so, and Chromium opens it in its PDF viewer.
# The reader's file dialog for a registered archive whose file has gone shows as a form.
# The screenshots are kept as artefacts.
#
#   browser_test.sh BUILD_DIR
#
# Exits 77 (skipped) after the link check when chromium is not installed.
set -euo pipefail

build=$(cd "$1" && pwd)
source_dir=$(cd "$(dirname "$0")/../.." && pwd)

artefacts=$build/host/artefacts
mkdir -p "$artefacts"
scratch=$(mktemp -d /tmp/vxst-browser.XXXXXX)
serve_pid=
cleanup() {
  if [ -n "$serve_pid" ]; then kill "$serve_pid" 2>/dev/null || true; wait "$serve_pid" 2>/dev/null || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

# The archive: colours chosen so the screenshot shows whether the style sheet (page
# background) and the image (a solid block) were applied.
mkdir -p "$scratch/manual/pictures" "$scratch/manual/chapter"
cat >"$scratch/manual/index.htm" <<'HTML'
<html><head><title>Browser check</title><link rel="stylesheet" href="style.css"></head>
<body><h1>Welcome to the browser check</h1>
<p><img src="pictures/block.png" width="200" height="120" alt="block"></p>
<p><a id="next" href="chapter/second.htm">Second page</a></p></body></html>
HTML
printf 'body { background: #2060c0; color: white; margin: 0; }\n' >"$scratch/manual/style.css"
cat >"$scratch/manual/chapter/second.htm" <<'HTML'
<html><body><p>The second page was reached</p><a href="../index.htm">back</a></body></html>
HTML
# A one-page PDF, written object by object with its cross-reference table.
python3 - "$scratch/manual/chapter/leaflet.pdf" <<'PY'
import sys
content = b"0.1 0.6 0.2 rg 20 20 360 160 re f BT /F1 24 Tf 1 1 1 rg 40 90 Td (PDF topic served) Tj ET"
objects = [b"<< /Type /Catalog /Pages 2 0 R >>", b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
           b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 400 200] /Contents 4 0 R"
           b" /Resources << /Font << /F1 5 0 R >> >> >>",
           b"<< /Length %d >>\nstream\n" % len(content) + content + b"\nendstream",
           b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"]
pdf, offsets = b"%PDF-1.4\n", []
for number, body in enumerate(objects, 1):
    offsets.append(len(pdf))
    pdf += b"%d 0 obj\n" % number + body + b"\nendobj\n"
table = len(pdf)
pdf += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
pdf += b"".join(b"%010d 00000 n \n" % offset for offset in offsets)
pdf += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objects) + 1, table)
open(sys.argv[1], "wb").write(pdf)
PY
# A page whose script loads the PDF and writes what it got.
cat >"$scratch/manual/chapter/pdfcheck.htm" <<'HTML'
<html><body><p id="result">pending</p><script>
fetch("leaflet.pdf").then(async r => {
  const bytes = new Uint8Array(await r.arrayBuffer());
  document.getElementById("result").textContent = "loaded " + r.status + " " +
    r.headers.get("Content-Type") + " " + bytes.length + " " + String.fromCharCode(...bytes.slice(0, 8));
}).catch(e => { document.getElementById("result").textContent = "failed " + e; });
</script></body></html>
HTML
python3 - "$scratch/manual/pictures/block.png" <<'PY'
import struct, sys, zlib
width, height, colour = 40, 24, bytes((0xE0, 0x30, 0x20))
rows = b"".join(b"\0" + colour * width for _ in range(height))
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
       + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))
open(sys.argv[1], "wb").write(png)
PY
"$build/tools/vxb/vxb" pack "$scratch/manual" -o "$scratch/manual.vxb" --name BrowserCheck \
  --firm-code 1 --start index.htm >/dev/null || fail "vxb pack"
"$build/tools/vxb/vxb" pack "$source_dir/sample/manual" -o "$scratch/sample.vxb" --name SampleManual \
  --firm-code 1 --start index.htm >/dev/null || fail "vxb pack of the sample manual"

mkdir -p "$scratch/registry" "$scratch/cache"
# A registered archive whose file has gone, for the file dialog's page.
VXST_REGISTRY_DIR=$scratch/registry "$build/platform/tools/vxreg/vxreg" add \
  'HKCU\Software\VEXO-SYSTEMS\VEXO-KEY\Stowra\03.00\Documents\Moved\FC1' /v Doc /d "$scratch/moved.vxb" /f \
  >/dev/null || fail "vxreg add"
VXST_REGISTRY_DIR=$scratch/registry VXST_CACHE_DIR=$scratch/cache \
  "$build/host/vxstserve" "$scratch/manual.vxb" "$scratch/sample.vxb" --workers 2 >"$scratch/serve.out" 2>"$scratch/serve.err" &
serve_pid=$!
for _ in $(seq 300); do [ "$(wc -l <"$scratch/serve.out")" -ge 2 ] && break; sleep 0.1; done
base=$(sed -n 1p "$scratch/serve.out")
sample=$(sed -n 2p "$scratch/serve.out")
[ -n "$sample" ] || fail "vxstserve printed no URLs: $(cat "$scratch/serve.err")"
echo "serving $base and $sample"

# Every page of the sample manual is reached from its start page, and no link is broken.
pages=$(find "$source_dir/sample/manual" -name '*.htm' | wc -l)
report=$(python3 "$source_dir/host/tests/link_check.py" "$sample") || fail "broken links: $report"
echo "$report"
reached=$(sed -n 's/^link check: \([0-9]*\) pages.*/\1/p' <<<"$report")
[ "$reached" -ge "$pages" ] || fail "link check reached $reached of $pages pages"

# The PDF topic: its type and its bytes.
pdf_url="${base}chapter/leaflet.pdf"
pdf_size=$(stat -c %s "$scratch/manual/chapter/leaflet.pdf")
curl -sf -D "$scratch/pdf.headers" -o "$scratch/pdf.got" "$pdf_url" || fail "PDF topic not served"
grep -qi '^Content-Type: application/pdf' "$scratch/pdf.headers" || fail "PDF topic served as $(grep -i '^Content-Type' "$scratch/pdf.headers")"
cmp -s "$scratch/pdf.got" "$scratch/manual/chapter/leaflet.pdf" || fail "PDF topic bytes differ"

chromium_bin=$(command -v chromium || command -v chromium-browser || true)
[ -n "$chromium_bin" ] || { echo "chromium is not installed; skipping the browser part"; exit 77; }

browse() { # options... url
  timeout 60 "$chromium_bin" --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$scratch/profile" --window-size=800,600 "$@" 2>>"$scratch/chromium.err"
}

# The first page's DOM carries its text and the relative link.
browse --dump-dom "${base}index.htm" >"$scratch/index.dom" || fail "chromium --dump-dom timed out or failed"
grep -q "Welcome to the browser check" "$scratch/index.dom" || fail "page text missing from the DOM"
link=$(sed -n 's/.*id="next" href="\([^"]*\)".*/\1/p' "$scratch/index.dom")
[ "$link" = "chapter/second.htm" ] || fail "relative link not found in the DOM (got '$link')"

# Following the link, resolved against the page's URL as the browser does.
browse --dump-dom "${base}${link}" >"$scratch/second.dom" || fail "chromium failed on the linked page"
grep -q "The second page was reached" "$scratch/second.dom" || fail "linked page did not load"

# The reader's file dialog as a page: for the missing file, the browser gets the form
# with the path and the check box at once, whichever worker answers.
root=${base%%/vexost:*}
browse --dump-dom "$root/vexost://Moved/index.htm" >"$scratch/dialog.dom" || fail "chromium failed on the dialog page"
grep -q "File: $scratch/moved.vxb" "$scratch/dialog.dom" || fail "file dialog page missing its file line"
grep -q 'name="update"' "$scratch/dialog.dom" || fail "file dialog page missing its check box"
dialog_shot=$artefacts/browser_file_dialog.png
rm -f "$dialog_shot"
browse --screenshot="$dialog_shot" "$root/vexost://Moved/index.htm" >/dev/null || fail "chromium --screenshot of the dialog failed"

# The screenshot shows the style sheet's background and the image's colour.
shot=$artefacts/browser_index.png
rm -f "$shot"
browse --screenshot="$shot" "${base}index.htm" >/dev/null || fail "chromium --screenshot failed"
[ -s "$shot" ] || fail "no screenshot written"
python3 - "$shot" <<'PY' || fail "screenshot does not show the style sheet and the image"
import struct, sys, zlib
data = open(sys.argv[1], "rb").read()
assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
pos, idat = 8, b""
while pos < len(data):
    length, kind = struct.unpack(">I4s", data[pos:pos + 8])
    body = data[pos + 8:pos + 8 + length]
    if kind == b"IHDR":
        width, height, depth, ctype = struct.unpack(">IIBB", body[:10])
    elif kind == b"IDAT":
        idat += body
    pos += 12 + length
assert depth == 8 and ctype in (2, 6), f"unexpected PNG format {depth}/{ctype}"
bpp = 3 if ctype == 2 else 4
raw, stride = zlib.decompress(idat), width * bpp
prev, counts, i = bytearray(stride), {}, 0
for _ in range(height):
    kind, line = raw[i], bytearray(raw[i + 1:i + 1 + stride])
    i += 1 + stride
    for x in range(stride):
        a = line[x - bpp] if x >= bpp else 0
        b, c = prev[x], prev[x - bpp] if x >= bpp else 0
        if kind == 1: line[x] = (line[x] + a) & 255
        elif kind == 2: line[x] = (line[x] + b) & 255
        elif kind == 3: line[x] = (line[x] + (a + b) // 2) & 255
        elif kind == 4:
            p = a + b - c
            pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
            line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
    for x in range(0, stride, bpp):
        pixel = bytes(line[x:x + 3])
        counts[pixel] = counts.get(pixel, 0) + 1
    prev = line
total = width * height
background = counts.get(bytes((0x20, 0x60, 0xC0)), 0)
image = counts.get(bytes((0xE0, 0x30, 0x20)), 0)
print(f"screenshot {width}x{height}: {background} background pixels, {image} image pixels")
assert background > total // 4, "style sheet background not applied"
assert image >= 200 * 120 // 2, "image not drawn"
PY
# The PDF in Chromium: a page's script gets it as application/pdf with its bytes, and
# opened itself it goes to the PDF viewer (not shown as text, not downloaded).
browse --virtual-time-budget=10000 --dump-dom "${base}chapter/pdfcheck.htm" >"$scratch/pdfcheck.dom" ||
  fail "chromium failed on the PDF check page"
expected="loaded 200 application/pdf $pdf_size %PDF-1.4"
grep -qF "$expected" "$scratch/pdfcheck.dom" ||
  fail "script did not load the PDF: $(grep -o 'id="result">[^<]*' "$scratch/pdfcheck.dom")"
browse --dump-dom "$pdf_url" >"$scratch/pdf.dom" || fail "chromium failed on the PDF topic"
grep -q "<body" "$scratch/pdf.dom" || fail "chromium did not open the PDF topic (downloaded?)"
! grep -q "%PDF" "$scratch/pdf.dom" || fail "chromium showed the PDF as text"
pdf_shot=$artefacts/browser_pdf.png
rm -f "$pdf_shot"
browse --virtual-time-budget=5000 --screenshot="$pdf_shot" "$pdf_url" >/dev/null || fail "chromium --screenshot of the PDF failed"
[ -s "$pdf_shot" ] || fail "no screenshot of the PDF written"
echo "PASS (screenshots kept at $shot, $dialog_shot and $pdf_shot)"
