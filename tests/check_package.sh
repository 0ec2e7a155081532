#!/usr/bin/env bash
# Checks the release package: scripts/package builds it, it holds exactly the four files, its
# checksums match, a second build of the same source in another folder gives the same bytes as
# the tested binaries, and the package holds those bytes; the setup program beside it, listed in
# dist/SHA256SUMS, and built again from the independent build to the same bytes; and the two
# Windows Installer packages, listed there too and built again to the same bytes. One PASS or
# FAIL line per check; the exit code is 1 if any failed.
set -u
. "$(dirname "$0")/../scripts/common.sh"
. "$PURL_ROOT/tests/verdict.sh"

# The independent build: the same source built again in another folder.
for arch in x86_64 i686; do
    again=$BUILD/again-$arch
    cmake -S "$PURL_ROOT" -B "$again" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$PURL_ROOT/cmake/mingw-$arch.cmake" >/dev/null &&
        cmake --build "$again" --target purl -j "$(nproc)" -- --no-print-directory >/dev/null
    verdict "binary $arch builds to the same bytes twice" \
        "$(cmp -s "$again/purl.scr" "$BUILD/$arch/purl.scr"; echo $?)" "$again/purl.scr differs"
done

out=$(bash "$PURL_ROOT/scripts/package" 2>&1)
zip_file=$(sed -n 's/^package: //p' <<<"$out")
if [ -z "$zip_file" ] || [ ! -f "$zip_file" ]; then
    verdict "package builds" 1 "$(tail -3 <<<"$out")"
    exit 1
fi
verdict "package builds" 0 ""
verdict "package is named for the project version" \
    "$([ "$(basename "$zip_file")" = "purl-$PURL_VERSION-windows.zip" ]; echo $?)" "$zip_file"

unpacked=$(mktemp -d)
unzip -q "$zip_file" -d "$unpacked"
entries=$(unzip -Z1 "$zip_file" | sort | tr '\n' ' ')
verdict "package holds exactly its four files" \
    "$([ "$entries" = "README.txt SHA256SUMS purl.scr win32/purl.scr " ]; echo $?)" "$entries"
verdict "package checksums match" \
    "$(cd "$unpacked" && sha256sum --quiet -c SHA256SUMS >/dev/null 2>&1 &&
        [ "$(wc -l <SHA256SUMS)" -eq 2 ]; echo $?)" "$(cat "$unpacked/SHA256SUMS")"
# Every line, empty ones included, ends in CR LF.
bare=$(grep -c -v $'\r$' "$unpacked/README.txt")
verdict "package README.txt has Windows line endings" \
    "$([ -s "$unpacked/README.txt" ] && [ "$bare" -eq 0 ]; echo $?)" "$bare lines end in a bare LF"
verdict "package holds the binaries of an independent build" \
    "$(cmp -s "$unpacked/purl.scr" "$BUILD/again-x86_64/purl.scr" &&
        cmp -s "$unpacked/win32/purl.scr" "$BUILD/again-i686/purl.scr"; echo $?)" "purl.scr differs"
rm -rf "$unpacked"

setup=$(sed -n 's/^setup: //p' <<<"$out")
verdict "setup program is named for the project version" \
    "$([ -f "$setup" ] && [ "$(basename "$setup")" = "purl-$PURL_VERSION-setup.exe" ]; echo $?)" "${setup:-none}"
verdict "dist/SHA256SUMS lists the setup program, the package and the two MSIs, and matches" \
    "$(cd "$PURL_ROOT/dist" && sha256sum --quiet -c SHA256SUMS >/dev/null 2>&1 &&
        [ "$(cut -d' ' -f3 SHA256SUMS | sort | tr '\n' ' ')" = "purl-$PURL_VERSION-setup.exe purl-$PURL_VERSION-windows.zip purl-$PURL_VERSION-x64.msi purl-$PURL_VERSION-x86.msi " ]
        echo $?)" "$(cat "$PURL_ROOT/dist/SHA256SUMS")"
again_setup=$(mktemp -d)
makensis -V1 -DVERSION="$PURL_VERSION" -DSAVER64="$BUILD/again-x86_64/purl.scr" \
    -DSAVER32="$BUILD/again-i686/purl.scr" -DOUTFILE="$again_setup/setup.exe" "$PURL_ROOT/installer/purl.nsi"
verdict "setup program of an independent build has the same bytes" \
    "$(cmp -s "$again_setup/setup.exe" "$setup"; echo $?)" "$setup differs"
# The MSIs, built again from the independent build at the same time: the same bytes (their
# codes and times come from the version, the content and the commit, never the clock).
stamp=$(git -C "$PURL_ROOT" log -1 --format=%ct 2>/dev/null || echo 946684800)
for row in "x64 x86_64" "x86 i686"; do
    read -r arch build <<<"$row"
    build_msi "$arch" "$PURL_VERSION" "$BUILD/again-$build/purl.scr" "$again_setup/purl.msi" "$stamp"
    verdict "the $arch MSI of an independent build has the same bytes" \
        "$(cmp -s "$again_setup/purl.msi" "$PURL_ROOT/dist/purl-$PURL_VERSION-$arch.msi"; echo $?)" \
        "purl-$PURL_VERSION-$arch.msi differs"
done
rm -rf "$again_setup"
[ "$failures" -eq 0 ]
