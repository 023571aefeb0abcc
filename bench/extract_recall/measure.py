#!/usr/bin/env python3
"""Recall and junk of `vantrel extract` (the list builder's extraction) and
`vantrel extract --browsed` (the browse window's) on pages whose result sites
were counted by hand, under the enabled TLDs and with --all-tlds.

usage: measure.py VANTREL HOME PAGES_TSV:FOLDER...
A pages table has the columns label, file, the result sites under the
enabled TLDs (com, net, org) and the result sites under other TLDs, each a
space-separated list of the names a registrar sells.

A harvested name is junk when it is not a host name, when it belongs to a
search engine or the web's infrastructure (ENGINE below, kept apart from the
program's own list on purpose), or when a person does not see it on the page:
it is neither the host of a link (search engines' redirect links read as
their targets) nor a whole host name in the visible text, as Python's own
HTML parser reads the page (script, style, comments and other attributes are
not seen).
"""
import base64
import html.parser
import re
import subprocess
import sys
import urllib.parse

HOST = re.compile(r"^([a-z0-9]([a-z0-9-]*[a-z0-9])?\.)+[a-z]{2,}$|^([a-z0-9-]+\.)+xn--[a-z0-9-]+$", re.I)
ENGINE = re.compile(r"(^|\.)(google|googleusercontent|gstatic|googleapis|googleadservices|doubleclick|bing|bingj|"
                    r"live|msn|microsoft|microsofttranslator|yahoo|yimg|duckduckgo|duck|yandex|yastatic|baidu|"
                    r"bdstatic|bdimg|ask|w3|schema)\.[a-z.]+$")
TOKEN = re.compile(r"[A-Za-z0-9.-]+")


def target(href):
    match = re.search(r"/RU=([^/]+)/", href)
    if match:
        return urllib.parse.unquote(match.group(1))
    query = urllib.parse.parse_qs(urllib.parse.urlparse(href).query)
    if "/url?" in href:
        for key in ("q", "url"):
            if key in query:
                return query[key][0]
    if query.get("u", [""])[0].startswith("a1"):
        value = query["u"][0][2:]
        try:
            return base64.urlsafe_b64decode(value + "=" * (-len(value) % 4)).decode("latin-1")
        except ValueError:
            pass
    if "uddg" in query:
        return query["uddg"][0]
    return href


class Seen(html.parser.HTMLParser):
    """The link hosts and visible text of a page."""
    HIDDEN = {"script", "style", "noscript", "template", "title", "textarea", "iframe"}

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.hosts, self.text, self.hidden = set(), [], 0

    def handle_starttag(self, tag, attrs):
        if tag in self.HIDDEN:
            self.hidden += 1
        if tag in ("a", "area"):
            for name, value in attrs:
                if name == "href" and value:
                    link = target(value.strip())
                    if link.lower().startswith("mailto:"):
                        self.hosts.add(link.split("@")[-1].split("?")[0].lower())
                    elif "//" in link:
                        host = urllib.parse.urlsplit(link if ":" in link.split("//")[0] or link.startswith("//")
                                                     else "//" + link).hostname
                        if host:
                            self.hosts.add(host.lower())

    def handle_endtag(self, tag):
        if tag in self.HIDDEN and self.hidden:
            self.hidden -= 1
        self.text.append(" ")

    def handle_data(self, data):
        if not self.hidden:
            self.text.append(data)


def seen_hosts(path, body_only):
    page = open(path, encoding="latin-1").read()
    if body_only:
        match = re.search(r"<body[\s>]", page, re.I)
        if match:
            page = page[match.start():]
    parser = Seen()
    parser.feed(page)
    hosts = set(parser.hosts)
    for token in TOKEN.findall("".join(parser.text)):
        hosts.add(token.strip(".-").lower())
    return hosts


def seen(name, hosts):
    return any(host == name or host.endswith("." + name) for host in hosts)


def extract(vantrel, home, path, browsed, every_tld):
    args = [vantrel, "--home", home, "extract"] + (["--browsed"] if browsed else []) + \
        (["--all-tlds"] if every_tld else []) + [path]
    result = subprocess.run(args, capture_output=True, check=True)
    return [line.strip().lower() for line in result.stdout.decode("latin-1").split("\n") if line.strip()]


def main():
    vantrel, home = sys.argv[1], sys.argv[2]
    verbose = "-v" in sys.argv
    rows = []
    for source in (arg for arg in sys.argv[3:] if arg != "-v"):
        table, folder = source.split(":", 1)
        for line in open(table, encoding="utf-8"):
            if line.startswith("#") or not line.strip():
                continue
            label, file, visible, other = (line.rstrip("\n").split("\t") + [""])[:4]
            rows.append((label, f"{folder}/{file}", visible.split(), other.split()))
    runs = [("List builder", False, False), ("Browse window", True, False),
            ("List builder, every TLD", False, True), ("Browse window, every TLD", True, True)]
    print("| Page | Sites (com/net/org + other) | " + " | ".join(f"{run[0]}: found / junk of harvested"
                                                           for run in runs) + " |")
    print("|---" * (len(runs) + 2) + "|")
    totals = {run: [0, 0, 0, 0, 0] for run in runs}  # found, wanted, junk, harvested, other seen names
    for label, path, visible, other in rows:
        cells = []
        for run in runs:
            _, browsed, every_tld = run
            names = extract(vantrel, home, path, browsed, every_tld)
            hosts = seen_hosts(path, browsed)
            wanted = visible + other if every_tld else visible
            hits = sum(1 for site in wanted if site in names)
            junk = [name for name in names if not HOST.match(name) or ENGINE.search(name) or not seen(name, hosts)]
            missed = [site for site in wanted if site not in names]
            results = set(visible + other)
            seen_others = [name for name in names if name not in results and name not in junk]
            for i, value in enumerate((hits, len(wanted), len(junk), len(names), len(seen_others))):
                totals[run][i] += value
            cells.append(f"{hits}/{len(wanted)} / {len(junk)} of {len(names)}")
            if verbose and (junk or missed or seen_others):
                print(f"   {label} [{run[0]}] junk: {junk} missed: {missed} seen, not results: {seen_others}",
                      file=sys.stderr)
        print(f"| {label} | {len(visible)} + {len(other)} | " + " | ".join(cells) + " |")
    summary = []
    for run in runs:
        found, wanted, junk, harvested, others = totals[run]
        summary.append(f"recall {100.0 * found / max(wanted, 1):.1f}% ({found}/{wanted}), "
                       f"junk {100.0 * junk / max(harvested, 1):.1f}% ({junk}/{harvested}); "
                       f"{others} seen on the page but not results")
    print("| All | | " + " | ".join(summary) + " |")


main()
