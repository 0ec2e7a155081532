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
    # against what a 386 with a 387 runs, by the name objdump gives it in Intel syntax after any
    # prefix. A NOP with operands is the later multi-byte one; "(bad)" is the -1 heading the
    # constructor and destructor lists that MinGW keeps in .text, data that never runs. The
    # instructions must cover the code sections' bytes (objdump skips only runs of zeros), or
    # the check saw less than the program holds.
    held=0
    for size in $(i686-w64-mingw32-objdump -h "$exe" | awk '/CODE/ {print size} {size = $3}'); do
        held=$((held + 16#$size))
    done
    code=$(i686-w64-mingw32-objdump -d -M intel --insn-width=16 "$exe" |
        awk -F'\t' 'NF >= 3 && $1 ~ /^ *[0-9a-f]+:$/')
    examined=$(awk -F'\t' '{n += split($2, bytes, " ")} END {print n + 0}' <<<"$code")
    later=$(awk -F'\t' '
        BEGIN {
            prefix = "^(rep(n?[ez])?|lock|data16|addr16|[cdefgs]s)$"
            known = "^(aa[adms]|da[as]|ad[cd]|and|x?or|sub|sbb|cmp|test|inc|dec|neg|not|i?mul|i?div|" \
                "mov|mov[sz]x|lea|xchg|xlat|(push|pop)[af]?d?|lahf|sahf|cbw|cwde|cwd|cdq|" \
                "s[ah][lr]|r[co][lr]|sh[lr]d|bt[crs]?|bs[fr]|(j|set)(n?[abceglopsz]|n?[abgl]e)|" \
                "jmp|j?e?cxz|call|retf?|loopn?[ez]?|enter|leave|int3?|into|iretd?|bound|" \
                "movs|cmps|scas|lods|stos|ins|outs|in|out|cl[cdi]|st[cdi]|cmc|nop|hlt|f?wait|" \
                "f(i?(ld|stp?|add|sub|subr|mul|div|divr|comp?)|(add|sub|subr|mul|div|divr)p|" \
                "bld|bstp|xch|compp|ucom(pp?)?|tst|xam|chs|abs|sqrt|scale|prem1?|rndint|xtract|" \
                "ld(1|z|pi|l2e|l2t|lg2|ln2|cw|env)|2xm1|yl2x(p1)?|ptan|patan|sin|cos|sincos|" \
                "n?(init|clex|stcw|stsw|stenv|save)|rstor|incstp|decstp|free|nop))$"
        }
        {
            n = split($3, words, " ")
            for (w = 1; w < n && words[w] ~ prefix; ++w) {}
            if (words[w] != "(bad)" && (words[w] !~ known || words[w] == "nop" && w < n))
                print $1 " " $3
        }' <<<"$code")
    if [ "$held" -eq 0 ] || [ $((examined * 100)) -lt $((held * 95)) ]; then
        verdict "binary i686 runs on a 386" 1 "the disassembly covers $examined of $held bytes of code"
    else
        verdict "binary i686 runs on a 386" "$([ -z "$later" ]; echo $?)" \
            "$(wc -l <<<"$later") instructions a 386 lacks, first: $(head -3 <<<"$later" | tr -s ' \n' ' ')"
    fi
fi
[ "$failures" -eq 0 ]
