#!/usr/bin/env bash
# Checks the two Windows builds of purl.scr as files: a GUI program that needs only the
# system's own DLLs (no C runtime), carries no symbol table and no static constructor (nothing
# would run one), and a 32-bit build that Windows 95, 98 and Me would load, whose code a 386 runs.
# Prints one PASS or FAIL line per check; the exit code is 1 if any failed. $1: the build folder.
set -u
build=$1
here=$(cd "$(dirname "$0")" && pwd)

. "$here/../verdict.sh"

imports() { # DLL and function per line
    "$1" -p "$2" | awk '/DLL Name:/{dll=toupper($3); next} dll!="" && NF==3 && $1 ~ /^[0-9a-f]+$/ {print dll, $3}'
}

for arch in x86_64 i686; do
    dump=$arch-w64-mingw32-objdump
    exe=$build/$arch/purl.scr
    if [ ! -f "$exe" ]; then verdict "binary $arch exists" 1 "$exe missing"; continue; fi
    subsystem=$("$dump" -p "$exe" | awk '/^Subsystem/{print $2}')
    verdict "binary $arch is a GUI program" "$([ "$subsystem" = 00000002 ]; echo $?)" "subsystem $subsystem"
    dlls=$("$dump" -p "$exe" | awk '/DLL Name:/{print toupper($3)}' | sort | tr '\n' ' ')
    verdict "binary $arch needs only system DLLs" \
        "$([ "$dlls" = "ADVAPI32.DLL GDI32.DLL KERNEL32.DLL USER32.DLL " ]; echo $?)" "$dlls"
    symbols=$("$dump" -t "$exe" | grep -c '^\[')
    verdict "binary $arch has no symbol table" "$([ "$symbols" -eq 0 ]; echo $?)" "$symbols symbols"
    ctors=$(grep -E '^ \.ctors +0x[0-9a-f]+ +0x[0-9a-f]+ ' "$build/$arch/purl.map" | awk '{print $NF}')
    verdict "binary $arch has no static constructor" \
        "$([ -f "$build/$arch/purl.map" ] && [ -z "$ctors" ]; echo $?)" "from ${ctors:-no link map}"
    echo "size $arch purl.scr: $(stat -c %s "$exe") bytes"
done

exe=$build/i686/purl.scr
if [ -f "$exe" ]; then
    header=$(i686-w64-mingw32-objdump -p "$exe")
    sub=$(echo "$header" | awk '/MajorSubsystemVersion/{a=$2} /MinorSubsystemVersion/{b=$2} END{print a"."b}')
    os=$(echo "$header" | awk '/MajorOSystemVersion/{a=$2} /MinorOSystemVersion/{b=$2} END{print a"."b}')
    verdict "binary i686 asks for Windows 4.0" "$([ "$sub" = 4.0 ] && [ "$os" = 4.0 ]; echo $?)" \
        "subsystem $sub, os $os"
    # The list names what the program imports and Windows 95 has, no more: a new import fails
    # until it is checked and listed, and one no longer made is dropped.
    imported=$(imports i686-w64-mingw32-objdump "$exe")
    listed=$(grep -v '^#' "$here/win9x_imports.txt")
    unknown=$(grep -v -x -F -f <(echo "$listed") <<<"$imported" | tr '\n' ';')
    verdict "binary i686 imports only what Windows 9x has" "$([ -z "$unknown" ]; echo $?)" "$unknown"
    unused=$(grep -v -x -F -f <(echo "$imported") <<<"$listed" | tr '\n' ';')
    verdict "the Windows 9x import list holds only what binary i686 imports" \
        "$([ -z "$unused" ]; echo $?)" "not imported: $unused"
    # Every instruction of the code, one a line ("address: bytes<TAB>mnemonic operands"), checked
    # against what a 386 runs: the later processors' instructions by mnemonic (with any prefix),
    # MMX, SSE and 3DNow! by their registers, and multi-byte NOPs (0F 1F) by their opcode.
    later=$(i686-w64-mingw32-objdump -d --insn-width=16 "$exe" | awk -F'\t' '
        NF < 3 || $1 !~ /^ *[0-9a-f]+:$/ { next }
        {
            n = split($2, bytes, " ")
            for (i = 1; i <= n && bytes[i] ~ /^(66|67|f0|f2|f3|26|2e|36|3e|64|65)$/; ++i) {}
            lacks = bytes[i] == "0f" && bytes[i + 1] == "1f"
            n = split($3, words, /[ ,()]+/)
            for (w = 1; w <= n; ++w)
                if (words[w] ~ /^(cmov|fcmov|bswap|cmpxchg|xadd|invd$|wbinvd|invlpg|rdtsc|rdmsr|wrmsr|rdpmc|cpuid|sysenter|sysexit|emms|femms|[slm]fence|prefetch|[ls]tmxcsr|fxsave|fxrstor|movnt|clflush|fisttp|popcnt|lzcnt|tzcnt|movbe|crc32)/ ||
                    words[w] ~ /^fu?comip?$/ || words[w] ~ /^%[xyz]?mm[0-9]/)
                    lacks = 1
            if (lacks) print $1 " " $3
        }')
    verdict "binary i686 runs on a 386" "$([ -z "$later" ]; echo $?)" \
        "$(wc -l <<<"$later") instructions a 386 lacks, first: $(head -3 <<<"$later" | tr -s ' \n' ' ')"
fi
[ "$failures" -eq 0 ]
