#!/usr/bin/env bash
# Builds the Debian package (build/vantrel_<version>_<arch>.deb) and checks
# it: the files it holds, its dependencies, lintian when that is installed,
# and that the binary unpacked from it runs headless.
set -euo pipefail
cd "$(dirname "$0")/.."

# dpkg-shlibdeps (dpkg-dev) and file work out the package's dependencies.
./scripts/install-deps.sh dpkg-dev file
./scripts/build.sh
(cd build && cpack -G DEB >/dev/null)

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt)
package=build/vantrel_${version}_$(dpkg --print-architecture).deb
fail() {
    echo "package.sh: $*" >&2
    exit 1
}
[ -f "$package" ] || fail "cpack made no $package"

expected=(
    ./usr/bin/vantrel
    ./usr/share/applications/vantrel.desktop
    ./usr/share/bash-completion/completions/vantrel
    ./usr/share/doc/vantrel/changelog.gz
    ./usr/share/doc/vantrel/copyright
    ./usr/share/man/man1/vantrel.1.gz
    ./usr/share/vantrel/banner.html
    ./usr/share/vantrel/branding.ini
    ./usr/share/vantrel/harvest/blocked-pages.txt
    ./usr/share/vantrel/harvest/own-domains.txt
    ./usr/share/vantrel/harvest/registry-suffixes.txt
    ./usr/share/vantrel/program/Help.html
    ./usr/share/vantrel/program/wordlists/AllFourLetter.txt
    ./usr/share/vantrel/program/wordlists/AllThreeLetter.txt
    ./usr/share/vantrel/program/wordlists/AllTwoLetter.txt
    ./usr/share/vantrel/program/wordlists/FullWordList.txt
    ./usr/share/vantrel/registry/rdap-dns.json
    ./usr/share/vantrel/registry/whois-servers.txt
    ./usr/share/vantrel/vantrel.skin
)
for size in 16 24 32 48 64 128 256; do
    expected+=("./usr/share/icons/hicolor/${size}x${size}/apps/vantrel.png")
done
# Every expected file, and nothing else (directories aside).
actual=$(dpkg-deb -c "$package" | awk '$1 !~ /^d/ { print $6 }' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
if [ "$actual" != "$wanted" ]; then
    diff <(echo "$wanted") <(echo "$actual") >&2 || true
    fail "the package's files differ from the expected ones (< expected, > packaged)"
fi

depends=$(dpkg-deb -f "$package" Depends)
for library in libc6 libqt6core6 libqt6network6 libqt6widgets6 libqt6webenginewidgets6; do
    [[ $depends == *"$library "* ]] || fail "Depends lacks $library: $depends"
done

if command -v lintian >/dev/null; then
    lintian_options=(--fail-on error)
    if [ "$(id -u)" -eq 0 ]; then
        lintian_options+=(--allow-root)
    fi
    lintian "${lintian_options[@]}" "$package" || fail "lintian reports errors"
else
    echo "package.sh: lintian is not installed; skipping its check" >&2
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg -x "$package" "$scratch/root"
mkdir "$scratch/home"
# No display, no settings of the user: the unpacked binary must run on its own.
headless=(env -u DISPLAY -u WAYLAND_DISPLAY -u VANTREL_HOME -u VANTREL_DATA_DIR
    VANTREL_CONFIG_DIR="$scratch/config" "$scratch/root/usr/bin/vantrel")
reported=$("${headless[@]}" --version) || fail "vantrel --version failed"
[[ $reported == "vantrel $version (Qt "* ]] || fail "unexpected version line: $reported"
extensions=$("${headless[@]}" tlds --home "$scratch/home") || fail "vantrel tlds failed"
[[ $extensions == *com* ]] || fail "vantrel tlds listed no com: $extensions"
[ -f "$scratch/home/TLDs.txt" ] || fail "vantrel tlds wrote no TLDs.txt"
zcat "$scratch/root/usr/share/man/man1/vantrel.1.gz" | grep -q "vantrel $version" ||
    fail "the manual page does not name version $version"
bash -n "$scratch/root/usr/share/bash-completion/completions/vantrel" || fail "the completion is not valid bash"

echo "$package: $(stat -c %s "$package") bytes, $(echo "$actual" | wc -l) files"
