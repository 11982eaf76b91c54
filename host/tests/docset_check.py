#!/usr/bin/env python3
"""Checks a documentation folder against the archive packed from it and served by vxstserve.

    docset_check.py FOLDER ARCHIVE_URL

Every file of FOLDER is fetched through the server (its path sent as a browser sends it,
UTF-8 escaped) and must come back byte for byte. Every href and src of every HTML page
that reaches a file of the folder must reach it through the server as well: a link that
works in the folder but not in the archive is reported. Links to other sites and to
files the folder does not hold are not the archive's business and are left alone.
"""
import http.client
import os
import re
import sys
import urllib.parse

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from link_check import LINK, SKIPPED, resolve  # noqa: E402


class Server:
    """One keep-alive connection, reopened when the server closes it."""

    def __init__(self, origin):
        parts = urllib.parse.urlsplit(origin)
        self.host, self.port = parts.hostname, parts.port
        self.connection = None

    def get(self, path):
        for attempt in range(2):
            try:
                if self.connection is None:
                    self.connection = http.client.HTTPConnection(self.host, self.port, timeout=60)
                self.connection.request("GET", path)
                response = self.connection.getresponse()
                return response.status, response.read()
            except (http.client.HTTPException, ConnectionError):
                self.connection = None
                if attempt:
                    raise
        return 0, b""


def files_of(folder):
    for root, _, names in os.walk(folder, followlinks=True):
        for name in sorted(names):
            path = os.path.join(root, name)
            yield os.path.relpath(path, folder).replace(os.sep, "/"), path


def folder_target(folder, page_relative, link):
    """The file of FOLDER that LINK on the page at PAGE_RELATIVE reaches, or None."""
    link = link.split("#", 1)[0].split("?", 1)[0]
    if not link or re.match(r"^[a-z][a-z0-9+.-]*:", link, re.I) or link.startswith("/"):
        return None
    joined = os.path.normpath(os.path.join(os.path.dirname(page_relative), urllib.parse.unquote(link)))
    if joined.startswith(".."):
        return None
    return joined if os.path.isfile(os.path.join(folder, joined)) else None


def main():
    folder, archive_url = sys.argv[1], sys.argv[2].rstrip("/") + "/"
    parts = urllib.parse.urlsplit(archive_url)
    origin = f"{parts.scheme}://{parts.netloc}"
    server = Server(origin)
    faults, files, links, answered = [], 0, 0, {}
    for relative, path in files_of(folder):
        files += 1
        url = archive_url + urllib.parse.quote(relative, safe="/")
        status, body = server.get(url[len(origin):])
        with open(path, "rb") as source:
            expected = source.read()
        if status != 200 or body != expected:
            faults.append(f"{status} {len(body)} of {len(expected)} bytes: {relative}")
            continue
        if not relative.endswith((".html", ".htm")):
            continue
        for match in LINK.finditer(expected.decode("utf-8", "replace")):
            link = next(group for group in match.groups() if group is not None)
            link = link.replace("&amp;", "&").strip()
            if not link or link.lower().startswith(SKIPPED):
                continue
            if folder_target(folder, relative, link) is None:
                continue
            links += 1
            target = resolve(url, link, origin)
            if target not in answered:
                answered[target] = server.get(target[len(origin):])[0] if target else 0
            status = answered[target]
            if status != 200:
                faults.append(f"link {link!r} of {relative} gives {status}")
    print(f"doc set: {files} files, {links} links into the folder, {len(faults)} faults")
    for line in faults[:50]:
        print("  fault:", line)
    return 1 if faults or files == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
