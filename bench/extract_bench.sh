#!/usr/bin/env bash
# Time of `vantrel extract` on a 2 MB link-rich page, for a growing number of
# distinct hosts: the list of gathered names grows with the hosts, and every
# line's uniqueness test runs against that list.
# usage: bench/extract_bench.sh [HOSTS...]   (default 1000 2000 5000 10000;
#        needs a build in ./build, or VANTREL=path/to/vantrel)
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/lib.sh
vantrel=${VANTREL:-$PWD/build/bin/vantrel}
require_file "$vantrel" "vantrel"
require_tool python3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export VANTREL_CONFIG_DIR=$work/config
mkdir -p "$work/home"
"$vantrel" --home "$work/home" tlds > /dev/null   # default table: com and net enabled

# A result-list-like page: every host appears as a result link with a path
# and query, then as a sub-domain link in a snippet, then as the shown address
# after ">www."; the hosts repeat in turn until the page holds 2 MB.
make_page() {
    python3 - "$1" "$2" <<'PY'
import sys
hosts, path = int(sys.argv[1]), sys.argv[2]
size = 2 * 1024 * 1024
parts = ["<html><head><title>results</title></head><body><ol>\n"]
length, i = len(parts[0]), 0
while length < size:
    h, form = i % hosts, (i // hosts) % 3
    host = f"host{h}-name.{'com' if h % 3 else 'net'}"
    if form == 0:
        item = f'<li><a href="http://www.{host}/page/{i}?q=x" target=_blank>Result <b>{i}</b></a></li>\n'
    elif form == 1:
        item = f'<p>See <a href="http://shop.{host}/">the shop</a> and more words.</p>\n'
    else:
        item = f'<cite>www.{host}/path/{i}</cite>\n'
    parts.append(item)
    length += len(item)
    i += 1
parts.append("</ol></body></html>\n")
open(path, "w").write("".join(parts))
PY
}

seconds() { local start=$(date +%s.%N); "$@" > "$work/out.txt"; python3 -c "print(f'{$(date +%s.%N) - $start:.3f}')"; }

for hosts in ${@:-1000 2000 5000 10000}; do
    make_page "$hosts" "$work/page.html"
    bytes=$(stat -c %s "$work/page.html")
    time=$(seconds "$vantrel" --home "$work/home" extract "$work/page.html")
    names=$(wc -l < "$work/out.txt")
    echo "extract: $hosts distinct hosts, $bytes bytes: ${time}s, $names names"
done
