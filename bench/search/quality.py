#!/usr/bin/env python3
"""Known-item quality of search: for pages picked at random from a documentation
folder, the query is the page's title without its section number; the page
should be the first result, or at least among the first three.

    quality.py FOLDER ARCHIVE_NAME --url http://127.0.0.1:PORT [--pages 200] [--seed 1]
    quality.py FOLDER ARCHIVE_NAME --vxb build/tools/vxb/vxb --archive FILE.vxb

Asks vxstserve's /search?q=...&archive=NAME&format=json (or runs vxb search).
Prints each miss and the shares of first and top-three hits, over all pages
picked and over those whose title no other page of the folder shares (a query
cannot tell such twins apart)."""
import argparse
import html
import json
import os
import random
import re
import subprocess
import sys
import urllib.parse
import urllib.request

TITLE = re.compile(rb"<title[^>]*>(.*?)</title>", re.S | re.I)
SECTION = re.compile(r"^\s*(?:\d+|[A-Z])(?:\.\d+)*\.\s+")


def title_of(path):
    with open(path, "rb") as f:
        match = TITLE.search(f.read(65536))
    if not match:
        return None
    text = html.unescape(match.group(1).decode("utf-8", "replace"))
    return " ".join(text.split())


def pages_of(folder):
    pages = {}
    for root, _, files in os.walk(folder, followlinks=True):
        for name in files:
            if name.endswith((".html", ".htm")):
                path = os.path.join(root, name)
                title = title_of(path)
                if title:
                    pages[os.path.relpath(path, folder)] = SECTION.sub("", title)
    return pages


def ask_server(url, archive, query):
    target = url + "/search?" + urllib.parse.urlencode(
        {"q": query, "archive": archive, "format": "json"})
    with urllib.request.urlopen(target, timeout=30) as answer:
        return [r["path"] for r in json.load(answer)["results"]]


def ask_vxb(vxb, archive_file, query):
    out = subprocess.run([vxb, "search", "-n", "3", archive_file, "--", query],
                         capture_output=True, text=True).stdout
    return [line.split("\t")[0] for line in out.splitlines() if "\t" in line]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("folder")
    parser.add_argument("name")
    parser.add_argument("--url")
    parser.add_argument("--vxb")
    parser.add_argument("--archive")
    parser.add_argument("--pages", type=int, default=200)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--strip-suffix", action="store_true",
                        help="also drop the ending all titles share (' — Site 1.0')")
    args = parser.parse_args()
    pages = pages_of(args.folder)
    counts = {}
    for title in pages.values():
        counts[title] = counts.get(title, 0) + 1
    picked = random.Random(args.seed).sample(sorted(pages), min(args.pages, len(pages)))
    first = top3 = unique = unique_first = unique_top3 = 0
    for path in picked:
        query = pages[path]
        if args.strip_suffix:
            query = re.split(r" [—|] ", query)[0]
        found = (ask_server(args.url, args.name, query) if args.url
                 else ask_vxb(args.vxb, args.archive, query))
        rank = found.index(path) + 1 if path in found else 0
        twin = counts[pages[path]] > 1
        first += rank == 1
        top3 += 1 <= rank <= 3
        if not twin:
            unique += 1
            unique_first += rank == 1
            unique_top3 += 1 <= rank <= 3
        if rank != 1:
            print(f"rank {rank or '-'}: {query!r} -> {path}; got {found[:3]}"
                  + (" (title shared)" if twin else ""))
    n = len(picked)
    print(f"all {n} pages: first {100 * first / n:.1f}%, top three {100 * top3 / n:.1f}%")
    if unique:
        print(f"{unique} pages with a title of their own: first {100 * unique_first / unique:.1f}%, "
              f"top three {100 * unique_top3 / unique:.1f}%")


if __name__ == "__main__":
    sys.exit(main())
