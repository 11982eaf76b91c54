#!/usr/bin/env python3
"""Crawls a site served by vxstserve from its start URL and reports every href or src in
its HTML pages that does not answer 200 through the server.

    link_check.py START_URL

Links leaving the server (other hosts, mailto:, javascript:, data:) and fragments alone are
not followed. Relative links are resolved as a browser does, keeping the empty segment of
the "/vexost://NAME/" root that general URL joiners fold away.
"""
import re
import sys
import urllib.error
import urllib.parse
import urllib.request

LINK = re.compile(r"""\b(?:href|src)\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s>]+))""", re.I)
SKIPPED = ("mailto:", "javascript:", "data:", "#")


def remove_dot_segments(path):
    out = []
    for segment in path.split("/"):
        if segment == "..":
            if len(out) > 1:
                out.pop()
        elif segment != ".":
            out.append(segment)
    if path.endswith(("/.", "/..")):
        out.append("")
    return "/".join(out)


def resolve(page, link, origin):
    link = link.split("#", 1)[0]
    if re.match(r"^[a-z][a-z0-9+.-]*://", link, re.I):
        return link if link.startswith(origin + "/") else None
    if link.startswith("//"):
        return None
    query = ""
    if "?" in link:
        link, query = link.split("?", 1)
        query = "?" + query
    page_path = page[len(origin):].split("?", 1)[0]
    if not link:
        path = page_path
    elif link.startswith("/"):
        path = link
    else:
        path = page_path[: page_path.rfind("/") + 1] + link
    # Browsers send non-ASCII characters as UTF-8 escapes and leave existing escapes alone.
    path = urllib.parse.quote(remove_dot_segments(path), safe="/:%@!$&'()*+,;=~-._")
    return origin + path + query


def fetch(url):
    """Status, type, body and the URL answered, after redirects (a URL without topic is
    sent to its start topic's own URL, under which the page's links resolve)."""
    try:
        with urllib.request.urlopen(url, timeout=30) as response:
            return response.status, response.headers.get_content_type(), response.read(), response.url
    except urllib.error.HTTPError as error:
        return error.code, "", b"", url


def main():
    start = sys.argv[1]
    parts = urllib.parse.urlsplit(start)
    origin = f"{parts.scheme}://{parts.netloc}"
    queue, seen, broken, pages = [start], {start}, [], 0
    while queue:
        url = queue.pop()
        status, kind, body, url = fetch(url)
        seen.add(url)
        if status != 200:
            broken.append(f"{status} {url}")
            continue
        if kind != "text/html":
            continue
        pages += 1
        text = body.decode("utf-8", "replace")
        for match in LINK.finditer(text):
            link = next(group for group in match.groups() if group is not None)
            link = link.replace("&amp;", "&").strip()
            if not link or link.lower().startswith(SKIPPED):
                continue
            target = resolve(url, link, origin)
            if target and target not in seen:
                seen.add(target)
                queue.append(target)
    print(f"link check: {pages} pages, {len(seen)} links followed, {len(broken)} broken")
    for line in broken:
        print("  broken:", line)
    return 1 if broken else 0


if __name__ == "__main__":
    sys.exit(main())
