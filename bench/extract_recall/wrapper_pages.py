#!/usr/bin/env python3
"""Writes result pages of our own, two for each redirect style an engine wraps
its result links in, and pages.tsv naming the sites each page shows. Every
page also holds the junk a real result page holds: allow-lists and address
fragments in scripts, style and comment text, image and preload addresses,
the engine's own links, a result behind a port, a TLD inside a host name and
a name that is the left part of a longer one.

usage: wrapper_pages.py OUTPUT_FOLDER
"""
import base64
import sys
import urllib.parse
from pathlib import Path

SITES = [
    ("https", "www.brightkettle.com", "/kettles/steel?id=4"),
    ("https", "quietmaple.net", "/"),
    ("http", "shop.sunfern.com", "/garden"),
    ("https", "www.oldlink.com", "/archive/2019/03/"),
    ("https", "meadowlane.org", "/about-us"),
    ("https", "www.copperfinch.com", "/"),
    ("http", "www.riverstone-tools.net", "/catalog.html"),
    ("https", "blog.lanternworks.com", "/posts/why-lanterns"),
    ("https", "www.tidepoolmaps.com", "/maps?region=north"),
    ("https", "hollowoak.org", "/"),
]
OTHER_TLD_SITES = [
    ("https", "www.lanternhaus.de", "/"),
    ("https", "kettle-and-co.co.uk", "/shop"),
    ("http", "mapleworks.io", "/"),
]
MORE_OTHER_TLD_SITES = [
    ("https", "www.glasfabrik.at", "/produkte"),
    ("https", "brightwick.com.au", "/"),
    ("https", "tidelamp.nz", "/lamps"),
]
OTHER_SITES = [
    ("https", "www.amberglade.com", "/"),
    ("https", "www.pinecrest-bakery.com", "/menu"),
    ("http", "stonebridgeinn.net", "/rooms"),
    ("https", "docs.wavecrest.org", "/guide/start"),
    ("https", "www.foxmeadow.com", "/shop/"),
    ("https", "www.silverbirch-studio.com", "/"),
    ("https", "greenharbor.net", "/news/2024"),
    ("https", "www.northwindkites.com", "/kites?size=xl"),
]


SECOND_LEVEL = {"co.uk", "com.au"}


def registrable(host):
    labels = host.split(".")
    keep = 3 if ".".join(labels[-2:]) in SECOND_LEVEL else 2
    return ".".join(labels[-keep:])


def url(site):
    # One result is served behind a port.
    port = ":8080" if site[1].startswith("www.riverstone") else ""
    return f"{site[0]}://{site[1]}{port}{site[2]}"


HEAD_JUNK = ('<script>var allow=["cnn.com","wsj.com","nytimes.com"];var d=document.com;a.com=1;'
             'fetch("https://telemetry-sink.net:443/log");</script>'
             '<style>.logo{background:url(https://static-assets.com/logo.png)}</style>'
             '<link rel="preconnect" href="https://fonts.gstatic.com"><meta property="og:image" '
             'content="https://preview-images.com/p.png">')


def body_junk(engine):
    return (f'<!-- served by edge-cache.net for scraper-watch.com -->'
            f'<img src="https://img-host.com/p.png" data-src="https://lazy-images.com/p.png" alt="">'
            f'<div data-href="https://tracking-pixel.net/t" hidden></div>'
            f'<p>Related: lanterns for www.my.community and the innz.net.nz guide</p>'
            f'<script>window.cfg={{"api":"https://api-gateway.com/v1","cdn":"cdn-files.net"}};</script>'
            f'<a href="https://{engine}/account">Account</a> <a href="https://accounts.google.com/login">Sign in</a>'
            f' <a href="https://www.microsofttranslator.com/">Translate</a> <a href="https://login.live.com/">Live</a>'
            f' <a href="https://www.bingj.com/">Cache</a>\n')


def yahoo(site, variant):
    target = urllib.parse.quote(url(site), safe="").lower() if variant == 0 else urllib.parse.quote(url(site), safe="")
    scheme = "https" if variant == 0 else "http"
    return (f"{scheme}://r.search.yahoo.com/_ylt=AwrE1x8Xk2Vl;_ylu=Y29sbwNiZjEEcG9zAzEEdnRpZAMEc2VjA3Ny"
            f"/RV=2/RE=1701180824/RO=10/RU={target}/RK=2/RS=Hq9cJ1h2yQ3d.XbH2Fk-")


def google(site, variant):
    target = url(site)
    if variant == 0:
        return f"/url?q={target}&amp;sa=U&amp;ved=2ahUKEwjcqe3I_qT&amp;usg=AOvVaw0Lw1nn"
    encoded = urllib.parse.quote(target, safe="")
    return (f"https://www.google.com/url?sa=t&amp;rct=j&amp;q=&amp;esrc=s&amp;source=web&amp;cd=3"
            f"&amp;url={encoded}&amp;ved=2ahUKEwi&amp;usg=AOvVaw2")


def bing(site, variant):
    token = base64.urlsafe_b64encode(url(site).encode()).decode().rstrip("=")
    amp = "&amp;" if variant == 0 else "&"
    return (f"https://www.bing.com/ck/a?!{amp}{amp}p=5f3a9c1e2b7d4a8fJmltdHM9MTcwMTEyMzIwMA{amp}ptn=3"
            f"{amp}ver=2{amp}hsh=3{amp}fclid=1b2c3d4e{amp}u=a1{token}{amp}ntb=1")


def duckduckgo(site, variant):
    target = urllib.parse.quote(url(site), safe="")
    if variant == 0:
        return f"//duckduckgo.com/l/?uddg={target}&amp;rut=9f8e7d6c5b4a"
    return f"https://duckduckgo.com/l/?kh=-1&amp;uddg={target}"


def shown(site):
    return site[1] + " &rsaquo; " + site[2].strip("/").replace("/", " &rsaquo; ") if site[2] != "/" else site[1]


def page(style, variant, sites):
    wrap = {"yahoo": yahoo, "google": google, "bing": bing, "duckduckgo": duckduckgo}[style]
    engine = {"yahoo": "search.yahoo.com", "google": "www.google.com", "bing": "www.bing.com",
              "duckduckgo": "html.duckduckgo.com"}[style]
    head = (f'<!DOCTYPE html><html lang="en"><head><meta charset="utf-8"><title>lanterns - Search</title>'
            f'<link rel="stylesheet" href="https://{engine}/static/results.css">'
            f'<script src="https://{engine}/static/results.js"></script>{HEAD_JUNK}</head><body>\n'
            f'<form action="https://{engine}/search" method="get"><input name="q" value="lanterns"></form>\n<ol>\n')
    items = []
    for site in sites:
        link = wrap(site, variant)
        if style == "yahoo":
            items.append(f'<li><div class="compTitle"><h3 class="title"><a class=" ac-algo fz-l" href="{link}" '
                         f'referrerpolicy="origin" target="_blank"><span class="d-ib fz-14">{shown(site)}</span>'
                         f'Result about lanterns</a></h3></div><div class="compText"><p>Lanterns of every kind, '
                         f'from the people who make them.</p></div>'
                         f'<img src="https://s.yimg.com/fz/api/res/1.2/abc--/YXBwaWQ9c3JjaGRk.jpg"></li>\n')
        elif style == "google":
            items.append(f'<div class="g"><a href="{link}" data-ved="2ahUKEw"><h3 class="zBAuLc">Result about '
                         f'lanterns</h3><div class="BNeawe UPmit AP7Wnd">{shown(site)}</div></a>'
                         f'<div class="BNeawe s3v9rd AP7Wnd">Lanterns of every kind.</div></div>\n')
        elif style == "bing":
            items.append(f'<li class="b_algo"><h2><a href="{link}" h="ID=SERP,5123.1">Result about lanterns</a>'
                         f'</h2><div class="b_caption"><div class="b_attribution"><cite>{url(site)}</cite></div>'
                         f'<p>Lanterns of every kind.</p></div></li>\n')
        else:
            items.append(f'<div class="result results_links web-result"><h2 class="result__title">'
                         f'<a rel="nofollow" class="result__a" href="{link}">Result about lanterns</a></h2>'
                         f'<a class="result__url" href="{link}">{site[1]}{site[2]}</a>'
                         f'<a class="result__snippet" href="{link}">Lanterns of every kind.</a></div>\n')
    items.append(body_junk(engine))
    tail = (f'</ol><a href="https://{engine}/search?q=lanterns&amp;first=11">Next</a> '
            f'<a href="https://{engine}/preferences">Settings</a> <a href="https://{engine}/privacy">Privacy</a>'
            f'</body></html>\n')
    return head + "".join(items) + tail


def main():
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    rows = []
    for style in ("yahoo", "google", "bing", "duckduckgo"):
        for variant, (sites, other) in enumerate(((SITES, OTHER_TLD_SITES), (OTHER_SITES, MORE_OTHER_TLD_SITES))):
            name = f"own-{style}-{variant + 1}.html"
            (out / name).write_text(page(style, variant, sites + other), encoding="utf-8")
            visible = " ".join(registrable(site[1]) for site in sites)
            others = " ".join(registrable(site[1]) for site in other)
            rows.append(f"own {style} {variant + 1}\t{name}\t{visible}\t{others}\n")
    (out / "pages.tsv").write_text("".join(rows), encoding="utf-8")


main()
