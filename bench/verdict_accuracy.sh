#!/usr/bin/env bash
# How often `vantrel check` gets the verdict right on real, labelled WHOIS
# replies. Each reply is served from a loopback responder under the name it
# answers; every TLD gets a row pointing there with the default table's
# phrases for that TLD (the standard list where the default table has none).
# Prints accuracy (available vs not), non-available replies called
# available, and rate-limit replies called blocked.
# usage: bench/verdict_accuracy.sh [WHOIS_REPLIES_DIR]
#        (default ../shared/testdata/whois; needs a build in ./build)
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/lib.sh
replies=$(realpath -m "${1:-../shared/testdata/whois}")
vantrel=$PWD/build/bin/vantrel
require_file "$vantrel" "vantrel"
require_file "$replies/index.tsv" "the reply index"
require_file "$replies/labels.tsv" "the reply labels"
require_tool python3
work=$(mktemp -d)
responder=
trap '[ -n "$responder" ] && kill "$responder" 2>/dev/null; rm -rf "$work"' EXIT
export VANTREL_CONFIG_DIR=$work/config
port=$((20000 + RANDOM % 10000))

# The name each reply answers: the one in its file name, else the one its
# record names, else an invented one in its TLD.
python3 - "$replies" "$work" <<'PY'
import csv, os, re, sys
root, work = sys.argv[1], sys.argv[2]
key_names = ("domain name", "domain", "domainname", "domain_name", "nom de domaine")
def queried_name(path, reply, tld):
    base = os.path.basename(path)[:-4]
    match = re.match(r"(go|py|pw)_status_[a-z]+-(.+)$", base)
    if match and "." in match.group(2):
        return match.group(2).lower()
    lines = reply.decode("latin-1").replace("\r", "").lower().split("\n")
    for number, line in enumerate(lines):
        key, _, value = line.strip().lstrip("%#").partition(":")
        if not value.strip() and number + 1 < len(lines) and lines[number + 1][:1] in (" ", "\t"):
            value = lines[number + 1]  # some registries put the value on the next line
        value = value.strip().rstrip(".")
        if key.strip() in key_names and "." in value and " " not in value:
            return value
    return "u34jedzcq." + (tld if tld != "_" else "com")
with open(os.path.join(work, "manifest.tsv"), "w") as manifest, open(os.path.join(work, "names.txt"), "w") as names:
    for row in csv.DictReader(open(os.path.join(root, "index.tsv")), delimiter="\t"):
        path = os.path.join(root, row["path"])
        name = queried_name(row["path"], open(path, "rb").read(), row["tld"])
        manifest.write(f"{name}\t{path}\t{row['path']}\n")
        names.write(name + "\n")
PY

# The names as a lookup sends them, and the rows of their TLDs.
mkdir -p "$work/home"
"$vantrel" --home "$work/home" tlds > /dev/null
"$vantrel" --home "$work/home" prepare $(cat "$work/names.txt") > "$work/prepared.txt"
[ "$(wc -l < "$work/prepared.txt")" -eq "$(wc -l < "$work/names.txt")" ] || fail "prepare lost names"
paste "$work/prepared.txt" <(cut -f2 "$work/manifest.tsv") > "$work/served.tsv"
python3 - "$work" "$port" <<'PY'
import sys
work, port = sys.argv[1], sys.argv[2]
standard = "No match,not registered,not found,available for registration,no domain records,AVAIL,No entries found"
defaults = {}
for line in open(f"{work}/home/TLDs.txt", encoding="latin-1"):
    fields = line.rstrip("\r\n").split("|")
    if len(fields) == 6:
        defaults.setdefault(fields[0].lower(), fields[5])
# A row for every suffix after a name's label (co.za and za), so each name
# goes to the responder whatever registry list the program ships.
tlds = set()
for line in open(f"{work}/served.tsv"):
    labels = line.split("\t")[0].split(".")
    tlds.update(".".join(labels[i:]) for i in range(1, len(labels)))
tlds = sorted(tlds)
with open(f"{work}/home/TLDs.txt", "w", encoding="latin-1", newline="") as table:
    for tld in tlds:
        table.write(f"{tld}|127.0.0.1|{port}|Enabled|0|{defaults.get(tld, standard)}\r\n")
PY

python3 bench/reply_responder.py "$port" "$work/served.tsv" &
responder=$!
sleep 0.5
# Exit status 3 only says some names ended in error (the empty replies).
status=0
"$vantrel" --home "$work/home" check --list "$work/prepared.txt" > "$work/verdicts.tsv" 2> "$work/check.err" || status=$?
[ "$status" -eq 0 ] || [ "$status" -eq 3 ] || fail "check failed: $(tail -1 "$work/check.err")"

python3 - "$replies" "$work" <<'PY'
import csv, sys
root, work = sys.argv[1], sys.argv[2]
labels = {row["path"]: row for row in csv.DictReader(open(f"{root}/labels.tsv"), delimiter="\t")}
index = list(csv.DictReader(open(f"{root}/index.tsv"), delimiter="\t"))
verdicts = [line.rstrip("\n").split("\t") for line in open(f"{work}/verdicts.tsv")]
if len(verdicts) != len(index):
    sys.exit(f"verdict_accuracy.sh: {len(verdicts)} verdicts for {len(index)} replies")
right = not_available = false_available = limited = limited_blocked = 0
for row, verdict in zip(index, verdicts):
    said, truth = verdict[1], row["status"]
    right += (said == "available") == (truth == "available")
    if truth == "available" and said != "available":
        print("missed available:", row["path"], said, verdict[-1], file=sys.stderr)
    if truth != "available":
        not_available += 1
        false_available += said == "available"
        if said == "available":
            print("called available:", row["path"], verdict[-1], file=sys.stderr)
    if "throttled?=true" in labels[row["path"]]["detail"] or "throttl" in row["path"]:
        limited += 1
        limited_blocked += said == "blocked"
print(f"replies: {len(index)}")
print(f"accuracy (available vs not): {right}/{len(index)} = {100 * right / len(index):.1f}%")
print(f"not available called available: {false_available}/{not_available} = {100 * false_available / not_available:.2f}%")
print(f"rate-limit replies called blocked: {limited_blocked}/{limited} = {100 * limited_blocked / limited:.1f}%")
PY
