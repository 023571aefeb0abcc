#!/usr/bin/env bash
# How many of the result sites a person sees on a page each extraction path
# finds, and how much junk it files: `vantrel extract` (the list builder's
# path) and `vantrel extract --browsed` (the browse window's), under the
# enabled TLDs and with --all-tlds, on the real result pages of the shared
# test data and on pages of our own that wrap every result link the way
# Yahoo, Google, Bing and DuckDuckGo do and hold the junk real pages hold.
# usage: bench/extract_recall.sh [-v]
#   -v lists the junk, the missed sites and the names seen that are not results.
#   Needs a build in ./build (or VANTREL=...) and the pages in
#   ../shared/testdata/pages (or VANTREL_TESTDATA=...).
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/lib.sh
vantrel=${VANTREL:-$PWD/build/bin/vantrel}
pages=${VANTREL_TESTDATA:-$PWD/../shared/testdata}/pages
require_file "$vantrel" "vantrel"
require_tool python3
[ -d "$pages" ] || fail "the shared test pages are not at $pages"
while IFS=$'\t' read -r _ file _; do
    require_file "$pages/$file" "test page"
done < <(grep -v '^#' bench/extract_recall/real_pages.tsv)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export VANTREL_CONFIG_DIR=$work/config
mkdir -p "$work/home"
"$vantrel" --home "$work/home" tlds > /dev/null
# The default table enables com and net; org is enabled as well, so that the
# many .org results count.
sed -i 's/^org|\([^|]*\)|\([^|]*\)|Disabled|/org|\1|\2|Enabled|/' "$work/home/TLDs.txt"
grep -q '^org|[^|]*|[^|]*|Enabled|' "$work/home/TLDs.txt" || fail "could not enable org in TLDs.txt"
python3 bench/extract_recall/wrapper_pages.py "$work/own"
python3 bench/extract_recall/measure.py "$vantrel" "$work/home" "$@" \
    "bench/extract_recall/real_pages.tsv:$pages" "$work/own/pages.tsv:$work/own"
