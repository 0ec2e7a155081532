#!/usr/bin/env bash
# Checks the setup program under Wine, run silently as an administrator would (/S), in three
# systems: a 64-bit Windows 10 prefix (the 64-bit build in the native system32, made current,
# its Add/Remove Programs entry, the saver started from the registry's path, and the uninstaller
# putting the previous saver back), the same prefix as Windows 98 (the 32-bit build, system.ini)
# and a 32-bit prefix. Needs DISPLAY, WINEPREFIX (64-bit) and 32-bit programs running.
# One PASS or FAIL line per check; the exit code is 1 if any failed. $1: setup.exe, $2: build.
set -u
setup=$1
build=$2
. "$(dirname "$0")/../scripts/common.sh"
version=$(sed -n 's/^project(purl VERSION \([0-9.]*\).*/\1/p' "$PURL_ROOT/CMakeLists.txt")

. "$(dirname "$0")/verdict.sh"

uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\purl'
desktop_key='HKCU\Control Panel\Desktop'
reg_view=$WINE64 # the loader whose reg reads the view setup writes: 64-bit but on Windows 9x
reg_value() {     # $1: key, $2: value; its data
    "$reg_view" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
        sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}
boot_saver() { # system.ini [boot] SCRNSAVE.EXE
    tr -d '\r' <"$WINEPREFIX/drive_c/windows/system.ini" | awk -F= '
        /^\[/ { boot = tolower($0) == "[boot]"; next }
        boot && tolower($1) == "scrnsave.exe" { print substr($0, index($0, "=") + 1) }'
}
windows_version() { # $1: win10, win98 or "" for Wine's default
    if [ -n "$1" ]; then
        "$WINE64" reg add 'HKCU\Software\Wine' /v Version /d "$1" /f >/dev/null 2>&1
    else
        "$WINE64" reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null 2>&1
    fi
}
# Runs the silent uninstall the entry names; the uninstaller goes on from a copy of itself in
# the temporary folder, so this waits until the entry is gone.
uninstall() {
    local command program folder
    command=$(reg_value "$uninstall_key" QuietUninstallString) # "C:\...\uninstall.exe" /S
    program=$(sed -n 's/^"\([^"]*\)" \/S$/\1/p' <<<"$command")
    [ -n "$program" ] || return 1
    folder=$("$WINE64" winepath -u "${program%\\*}" 2>/dev/null)
    "$WINE32" "$program" /S >/dev/null 2>&1
    for _ in $(seq 150); do # its last step removes its folder
        [ -n "$folder" ] && [ ! -e "$folder" ] && return 0
        sleep 0.2
    done
    return 1
}
same_ci() { [ "${1,,}" = "${2,,}" ]; }

setup_windows=$(windows_path "$setup")
system32=$WINEPREFIX/drive_c/windows/system32
syswow64=$WINEPREFIX/drive_c/windows/syswow64

# 64-bit Windows 10, with a previous saver chosen.
windows_version win10
cp "$build/x86_64/purl_paint_reference.scr" "$system32/previous.scr"
"$WINE64" reg add "$desktop_key" /v SCRNSAVE.EXE /d 'C:\windows\system32\previous.scr' /f >/dev/null 2>&1
"$WINE32" "$setup_windows" /S >/dev/null 2>&1 && # and again, as over an older version
    "$WINE32" "$setup_windows" /S >/dev/null 2>&1
verdict "setup, 64-bit Windows 10: exits 0, twice" $? "exit code"
verdict "setup, 64-bit Windows 10: the 64-bit build in the native system32" \
    "$(cmp -s "$system32/purl.scr" "$build/x86_64/purl.scr"; echo $?)" \
    "$(x86_64-w64-mingw32-objdump -f "$system32/purl.scr" 2>&1 | grep -o 'file format.*')"
saver=$(reg_value "$desktop_key" SCRNSAVE.EXE)
verdict "setup, 64-bit Windows 10: purl is the current saver" \
    "$(same_ci "$saver" 'C:\windows\system32\purl.scr' &&
        [ "$(reg_value "$desktop_key" ScreenSaveActive)" = 1 ]; echo $?)" "SCRNSAVE.EXE $saver"
entry=$(reg_value "$uninstall_key" DisplayVersion)
verdict "setup, 64-bit Windows 10: the Add/Remove Programs entry holds the version" \
    "$([ "$entry" = "$version" ] && [ -n "$(reg_value "$uninstall_key" DisplayIcon)" ] &&
        [ "$(reg_value "$uninstall_key" NoModify)" = 0x1 ] &&
        [ -n "$(reg_value "$uninstall_key" EstimatedSize)" ]; echo $?)" "DisplayVersion $entry"
# The saver the registry names starts full screen and ends with a key, exit code 0.
"$WINE64" "$build/x86_64/tests/e2e/purl_e2e.exe" --gtest_filter=host.full_screen_window "$saver" \
    >"$BUILD/setup-saver.log" 2>&1
verdict "setup, 64-bit Windows 10: the installed saver runs from the registry's path" $? \
    "see $BUILD/setup-saver.log"
uninstall
verdict "uninstall, 64-bit Windows 10: the file, the entry and the uninstaller are gone" \
    "$([ $? -eq 0 ] && [ ! -e "$system32/purl.scr" ] &&
        [ -z "$(reg_value "$uninstall_key" DisplayName)" ]; echo $?)" "left behind"
saver=$(reg_value "$desktop_key" SCRNSAVE.EXE)
verdict "uninstall, 64-bit Windows 10: the previous saver is current again" \
    "$(same_ci "$saver" 'C:\windows\system32\previous.scr'; echo $?)" "SCRNSAVE.EXE $saver"
rm -f "$system32/previous.scr"

# Windows 98: the 32-bit build in its system folder (the 32-bit view of system32) and
# system.ini; the previous saver's file is gone by the uninstall, so none is left chosen.
# (The uninstall above showed a setup over an older version keeping the saver before it.)
windows_version win98
reg_view=$WINE32
cp "$build/i686/purl_paint_reference.scr" "$syswow64/old.scr"
printf '[boot]\r\nSCRNSAVE.EXE=C:\\windows\\system32\\old.scr\r\n' >"$WINEPREFIX/drive_c/windows/system.ini"
"$WINE32" "$setup_windows" /S >/dev/null 2>&1
verdict "setup, Windows 98: exits 0" $? "exit code"
verdict "setup, Windows 98: the 32-bit build in the system folder" \
    "$(cmp -s "$syswow64/purl.scr" "$build/i686/purl.scr"; echo $?)" "$(ls "$syswow64" | grep -i purl)"
saver=$(boot_saver)
verdict "setup, Windows 98: system.ini names purl" \
    "$(same_ci "${saver##*\\}" purl.scr; echo $?)" "SCRNSAVE.EXE=$saver"
rm -f "$syswow64/old.scr"
uninstall
verdict "uninstall, Windows 98: the file, the entry and the uninstaller are gone" \
    "$([ $? -eq 0 ] && [ ! -e "$syswow64/purl.scr" ] &&
        [ -z "$(reg_value "$uninstall_key" DisplayName)" ]; echo $?)" "left behind"
saver=$(boot_saver)
verdict "uninstall, Windows 98: without the previous saver's file, no saver is chosen" \
    "$([ -z "$saver" ] && grep -qi '^\[boot\]' "$WINEPREFIX/drive_c/windows/system.ini"; echo $?)" \
    "SCRNSAVE.EXE=$saver"
reg_view=$WINE64
windows_version ""

# A 32-bit Windows prefix, made once.
prefix32=$BUILD/wineprefix32
if [ ! -f "$prefix32/.purl-prefix-ready" ]; then
    rm -rf "$prefix32"
    WINEPREFIX=$prefix32 WINEARCH=win32 "$WINE32" wineboot -i >"$BUILD/wineboot32.log" 2>&1 &&
        WINEPREFIX=$prefix32 "$WINESERVER" -w && touch "$prefix32/.purl-prefix-ready"
fi
WINEPREFIX=$prefix32 "$WINE32" "$setup_windows" /S >/dev/null 2>&1
verdict "setup, 32-bit Windows: the 32-bit build in system32" \
    "$(cmp -s "$prefix32/drive_c/windows/system32/purl.scr" "$build/i686/purl.scr"; echo $?)" \
    "see $BUILD/wineboot32.log"
WINEPREFIX=$prefix32 "$WINESERVER" -k 2>/dev/null
rm -rf "$prefix32/drive_c/windows/system32/purl.scr" "$prefix32/drive_c/Program Files/purl"
[ "$failures" -eq 0 ]
