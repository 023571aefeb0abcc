#!/usr/bin/env bash
# Builds the two Debian packages and checks them: build/vantrel_<version>_<arch>.deb
# (the headless commands and their data) and build/vantrel-desktop_<version>_<arch>.deb
# (the windows). It checks the files each holds, their dependencies, lintian,
# and that the programs unpacked from them run: the commands with no display.
set -euo pipefail
cd "$(dirname "$0")/.."

# dpkg-shlibdeps (dpkg-dev) and file work out the packages' dependencies,
# lintian checks them, and python3 answers the WHOIS queries of the check run.
./scripts/install-deps.sh dpkg-dev file lintian python3
# Only what the packages hold. The binaries know the folder they are installed
# in, so the build's prefix is the packages' /usr.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build build -j"$(nproc)" --target vantrel_packaged
rm -f build/vantrel_*.deb build/vantrel-desktop_*.deb
(cd build && cpack -G DEB >/dev/null)

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt)
architecture=$(dpkg --print-architecture)
commands=build/vantrel_${version}_${architecture}.deb
desktop=build/vantrel-desktop_${version}_${architecture}.deb
fail() {
    echo "package.sh: $*" >&2
    exit 1
}
for package in "$commands" "$desktop"; do
    [ -f "$package" ] || fail "cpack made no $package"
done

# expect_files PACKAGE FILE...: the package holds every FILE and nothing else
# (directories aside).
expect_files() {
    local package=$1 actual wanted
    shift
    actual=$(dpkg-deb -c "$package" | awk '$1 !~ /^d/ { print $6 }' | sort)
    wanted=$(printf '%s\n' "$@" | sort)
    if [ "$actual" != "$wanted" ]; then
        diff <(echo "$wanted") <(echo "$actual") >&2 || true
        fail "the files of $package differ from the expected ones (< expected, > packaged)"
    fi
}
expect_files "$commands" \
    ./usr/bin/vantrel \
    ./usr/share/bash-completion/completions/vantrel \
    ./usr/share/doc/vantrel/changelog.gz \
    ./usr/share/doc/vantrel/copyright \
    ./usr/share/lintian/overrides/vantrel \
    ./usr/share/man/man1/vantrel.1.gz \
    ./usr/share/vantrel/branding.ini \
    ./usr/share/vantrel/harvest/blocked-pages.txt \
    ./usr/share/vantrel/harvest/own-domains.txt \
    ./usr/share/vantrel/harvest/registry-suffixes.txt \
    ./usr/share/vantrel/program/wordlists/AllFourLetter.txt \
    ./usr/share/vantrel/program/wordlists/AllThreeLetter.txt \
    ./usr/share/vantrel/program/wordlists/AllTwoLetter.txt \
    ./usr/share/vantrel/program/wordlists/FullWordList.txt \
    ./usr/share/vantrel/registry/rdap-dns.json \
    ./usr/share/vantrel/registry/whois-servers.txt
icons=()
for size in 16 24 32 48 64 128 256; do
    icons+=("./usr/share/icons/hicolor/${size}x${size}/apps/vantrel.png")
done
expect_files "$desktop" \
    ./usr/bin/vantrel-desktop \
    ./usr/share/applications/vantrel.desktop \
    ./usr/share/doc/vantrel-desktop/changelog.gz \
    ./usr/share/doc/vantrel-desktop/copyright \
    ./usr/share/lintian/overrides/vantrel-desktop \
    ./usr/share/man/man1/vantrel-desktop.1.gz \
    ./usr/share/vantrel/banner.html \
    ./usr/share/vantrel/program/Help.html \
    ./usr/share/vantrel/vantrel.skin \
    "${icons[@]}"

# A server installs the commands without Qt's GUI libraries or the browser.
depends=$(dpkg-deb -f "$commands" Depends)
for library in libc6 libqt6core6 libqt6network6 libqt6sql6 libqt6sql6-sqlite; do
    [[ "$depends, " == *"$library "* || "$depends, " == *"$library,"* ]] ||
        fail "vantrel's Depends lacks $library: $depends"
done
[[ $depends != *gui* && $depends != *widgets* && $depends != *webengine* && $depends != *qpa* ]] ||
    fail "vantrel depends on a GUI package: $depends"
depends=$(dpkg-deb -f "$desktop" Depends)
for library in "vantrel (= $version)" libqt6widgets6 libqt6webenginewidgets6 qt6-qpa-plugins; do
    [[ $depends == *"$library"* ]] || fail "vantrel-desktop's Depends lacks $library: $depends"
done

lintian_options=(--pedantic --display-info --fail-on error,warning,info,pedantic)
if [ "$(id -u)" -eq 0 ]; then
    lintian_options+=(--allow-root)
fi
lintian "${lintian_options[@]}" "$commands" "$desktop" || fail "lintian reports the tags above"

scratch=$(mktemp -d)
responder=
cleanup() {
    [ -z "$responder" ] || kill "$responder" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
# The commands alone, as on a server, and both packages, as on a desktop.
dpkg -x "$commands" "$scratch/server"
dpkg -x "$commands" "$scratch/desktop"
dpkg -x "$desktop" "$scratch/desktop"
needed=$(readelf -d "$scratch/server/usr/bin/vantrel" | grep NEEDED)
[[ $needed != *Gui* && $needed != *Widgets* && $needed != *WebEngine* ]] ||
    fail "vantrel links a Qt GUI library: $needed"

mkdir "$scratch/home"
# No display, no settings of the user: the unpacked binaries must run on their own.
no_display=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u VANTREL_HOME -u VANTREL_DATA_DIR
    VANTREL_CONFIG_DIR="$scratch/config")
headless=("${no_display[@]}" "$scratch/server/usr/bin/vantrel")
reported=$("${headless[@]}" --version) || fail "vantrel --version failed"
[[ $reported == "vantrel $version (Qt "* ]] || fail "unexpected version line: $reported"
extensions=$("${headless[@]}" tlds --home "$scratch/home") || fail "vantrel tlds failed"
[[ $extensions == *com* ]] || fail "vantrel tlds listed no com: $extensions"
[ -f "$scratch/home/TLDs.txt" ] || fail "vantrel tlds wrote no TLDs.txt"

# `vantrel check` against a WHOIS server on loopback that finds no name.
port=$((20000 + RANDOM % 12000))
python3 bench/whois_responder.py "$port" --reply "No match for the name" --lifetime 120 &
responder=$!
for _ in $(seq 100); do
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
    sleep 0.1
done
printf 'test|127.0.0.1|%d|Enabled|0|No match\r\n' "$port" > "$scratch/home/TLDs.txt"
verdict=$("${headless[@]}" --home "$scratch/home" check --no-dns --tld test unclaimed) || fail "vantrel check failed"
[[ $verdict == "unclaimed.test"$'\t'"available"$'\t'* ]] || fail "unexpected verdict: $verdict"

# Without a command vantrel starts the desktop program beside it; with none
# installed it prints the usage.
set +e
"${headless[@]}" 2>"$scratch/usage"
status=$?
"${no_display[@]}" "$scratch/desktop/usr/bin/vantrel" 2>"$scratch/started"
started=$?
set -e
[ "$status" -eq 2 ] && grep -q '^usage: vantrel' "$scratch/usage" ||
    fail "vantrel without a command and without the desktop program did not print the usage"
[ "$started" -eq 1 ] && grep -q '^vantrel-desktop: there is no display' "$scratch/started" ||
    fail "vantrel without a command did not start vantrel-desktop: $(cat "$scratch/started")"
"$scratch/desktop/usr/bin/vantrel-desktop" --help | grep -q '^usage: vantrel-desktop' ||
    fail "vantrel-desktop --help failed"

zcat "$scratch/server/usr/share/man/man1/vantrel.1.gz" | grep -q "vantrel $version" ||
    fail "the manual page does not name version $version"
bash -n "$scratch/server/usr/share/bash-completion/completions/vantrel" || fail "the completion is not valid bash"

for package in "$commands" "$desktop"; do
    echo "$package: $(stat -c %s "$package") bytes, $(dpkg-deb -c "$package" | grep -vc '^d') files"
done
