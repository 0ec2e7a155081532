#!/usr/bin/env bash
# Checks the release package: scripts/package builds it, it holds exactly the four files, its
# checksums match, a second build of the same source in another folder gives the same bytes as
# the tested binaries, and the package holds those bytes; the setup program beside it, listed in
# dist/SHA256SUMS, and built again from the independent build to the same bytes. One PASS or
# FAIL line per check; the exit code is 1 if any failed.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build

. "$root/tests/verdict.sh"

# The independent build: the same source built again in another folder.
for arch in x86_64 i686; do
    again=$build/again-$arch
    cmake -S "$root" -B "$again" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" >/dev/null &&
        cmake --build "$again" --target purl -j "$(nproc)" -- --no-print-directory >/dev/null
    verdict "binary $arch builds to the same bytes twice" \
        "$(cmp -s "$again/purl.scr" "$build/$arch/purl.scr"; echo $?)" "$again/purl.scr differs"
done

out=$(bash "$root/scripts/package" 2>&1)
zip_file=$(sed -n 's/^package: //p' <<<"$out")
if [ -z "$zip_file" ] || [ ! -f "$zip_file" ]; then
    verdict "package builds" 1 "$(tail -3 <<<"$out")"
    exit 1
fi
verdict "package builds" 0 ""
version=$(sed -n 's/^project(purl VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
verdict "package is named for the project version" \
    "$([ "$(basename "$zip_file")" = "purl-$version-windows.zip" ]; echo $?)" "$zip_file"

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
    "$(cmp -s "$unpacked/purl.scr" "$build/again-x86_64/purl.scr" &&
        cmp -s "$unpacked/win32/purl.scr" "$build/again-i686/purl.scr"; echo $?)" "purl.scr differs"
rm -rf "$unpacked"

setup=$(sed -n 's/^setup: //p' <<<"$out")
verdict "setup program is named for the project version" \
    "$([ -f "$setup" ] && [ "$(basename "$setup")" = "purl-$version-setup.exe" ]; echo $?)" "${setup:-none}"
verdict "dist/SHA256SUMS lists the setup program and the package, and matches" \
    "$(cd "$root/dist" && sha256sum --quiet -c SHA256SUMS >/dev/null 2>&1 &&
        [ "$(cut -d' ' -f3 SHA256SUMS | sort | tr '\n' ' ')" = "purl-$version-setup.exe purl-$version-windows.zip " ]
        echo $?)" "$(cat "$root/dist/SHA256SUMS")"
again_setup=$(mktemp -d)
makensis -V1 -DVERSION="$version" -DSAVER64="$build/again-x86_64/purl.scr" \
    -DSAVER32="$build/again-i686/purl.scr" -DOUTFILE="$again_setup/setup.exe" "$root/installer/purl.nsi"
verdict "setup program of an independent build has the same bytes" \
    "$(cmp -s "$again_setup/setup.exe" "$setup"; echo $?)" "$setup differs"
rm -rf "$again_setup"
[ "$failures" -eq 0 ]
