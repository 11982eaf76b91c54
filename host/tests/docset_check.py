#!/usr/bin/env python3
"""Checks a documentation folder against the archive packed from it and served by vxstserve.

    docset_check.py FOLDER ARCHIVE_URL [CLIENTS [SEED]]

Every file of FOLDER is fetched through the server by each of CLIENTS concurrent clients
(default 1), each in its own order shuffled from SEED (default: the folder's order), its
path sent as a browser sends it, UTF-8 escaped. Each must come back byte for byte, whatever
was asked before it by whom, and images, fonts, style sheets and scripts with their real
type. Then every
href and src of every HTML page that reaches a file of the folder must reach it through
the server as well: a link that works in the folder but not in the archive is reported.
Links to other sites and to files the folder does not hold are not the archive's business
and are left alone.
"""
import http.client
import os
import random
import re
import sys
import threading
import urllib.parse

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from link_check import LINK, SKIPPED, resolve  # noqa: E402

# The type a browser needs to use a file; others are not checked.
TYPES = {
    ".html": "text/html", ".htm": "text/html", ".css": "text/css", ".js": "text/javascript",
    ".svg": "image/svg+xml", ".png": "image/png", ".gif": "image/gif", ".jpg": "image/jpeg",
    ".ico": "image/vnd.microsoft.icon", ".woff": "font/woff", ".woff2": "font/woff2",
    ".ttf": "font/ttf", ".otf": "font/otf", ".json": "application/json", ".txt": "text/plain",
}


class Server:
    """One keep-alive connection, reopened when the server closes it."""

    def __init__(self, origin):
        parts = urllib.parse.urlsplit(origin)
        self.host, self.port = parts.hostname, parts.port
        self.connection = None

    def get(self, path):
        """Status, media type (without parameters) and body."""
        for attempt in range(2):
            try:
                if self.connection is None:
                    self.connection = http.client.HTTPConnection(self.host, self.port, timeout=60)
                self.connection.request("GET", path)
                response = self.connection.getresponse()
                kind = (response.getheader("Content-Type") or "").split(";")[0].strip()
                return response.status, kind, response.read()
            except (http.client.HTTPException, ConnectionError):
                self.connection = None
                if attempt:
                    raise
        return 0, "", b""


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


def fetch_all(files, archive_url, origin, clients, seed):
    """Every file fetched by each of CLIENTS concurrent clients; returns the faults."""
    faults, lock = set(), threading.Lock()

    def client(number):
        order = list(files)
        if seed is not None:
            random.Random(f"{seed}/{number}").shuffle(order)
        server = Server(origin)
        for relative, path in order:
            status, kind, body = server.get((archive_url + urllib.parse.quote(relative, safe="/"))[len(origin):])
            with open(path, "rb") as source:
                expected = source.read()
            wanted = TYPES.get(os.path.splitext(relative)[1].lower())
            fault = None
            if status != 200 or body != expected:
                fault = f"{status} {len(body)} of {len(expected)} bytes: {relative}"
            elif wanted and kind != wanted:
                fault = f"type {kind} instead of {wanted}: {relative}"
            if fault:
                with lock:
                    faults.add(fault)

    threads = [threading.Thread(target=client, args=(n,)) for n in range(clients)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    return sorted(faults)


def check_links(folder, files, archive_url, origin):
    """Follows the links of every page that reach a file of the folder; returns the number
    of links and the faults."""
    server, faults, links, answered = Server(origin), [], 0, {}
    for relative, path in files:
        if not relative.endswith((".html", ".htm")):
            continue
        url = archive_url + urllib.parse.quote(relative, safe="/")
        with open(path, "rb") as source:
            text = source.read().decode("utf-8", "replace")
        for match in LINK.finditer(text):
            link = next(group for group in match.groups() if group is not None)
            link = link.replace("&amp;", "&").strip()
            if not link or link.lower().startswith(SKIPPED) or folder_target(folder, relative, link) is None:
                continue
            links += 1
            target = resolve(url, link, origin)
            if target not in answered:
                answered[target] = server.get(target[len(origin):])[0] if target else 0
            if answered[target] != 200:
                faults.append(f"link {link!r} of {relative} gives {answered[target]}")
    return links, faults


def main():
    folder, archive_url = sys.argv[1], sys.argv[2].rstrip("/") + "/"
    clients = int(sys.argv[3]) if len(sys.argv) > 3 else 1
    seed = sys.argv[4] if len(sys.argv) > 4 else None
    parts = urllib.parse.urlsplit(archive_url)
    origin = f"{parts.scheme}://{parts.netloc}"
    files = list(files_of(folder))
    faults = fetch_all(files, archive_url, origin, clients, seed)
    links, link_faults = check_links(folder, files, archive_url, origin)
    faults += link_faults
    print(f"doc set: {len(files)} files by {clients} clients (order seed {seed}), "
          f"{links} links into the folder, {len(faults)} faults")
    for line in faults[:50]:
        print("  fault:", line)
    return 1 if faults or not files else 0


if __name__ == "__main__":
    sys.exit(main())
