#!/usr/bin/env bash
# Checks the setup program under Wine the way people run it, clicked through with xdotool
# (each page awaited by its text), and silently (/S) as administrators do: in a 64-bit Windows 10
# prefix (the 64-bit build in the native system32, made current or not as the box says, its
# Add/Remove Programs entry, the saver started from the registry's path, the settings page it
# opens, the uninstaller from the entry putting back exactly what setup found, setup without an
# administrator's rights for everyone and only for the user, with its Start-menu item,
# /AllUsers and /CurrentUser, the quiet uninstall's exit code, and purl.scr in use), the same
# prefix as Windows 98 (the 32-bit build, system.ini) and a 32-bit prefix. The shared prefix is
# put back as it was when the check ends, also when it is stopped. Writes
# $BUILD/setup-welcome.png, the welcome page (docs/setup.png is a copy). Needs DISPLAY,
# WINEPREFIX (64-bit) and 32-bit programs running.
# One PASS or FAIL line per check; the exit code is 1 if any failed. $1: setup.exe, $2: build.
set -u
setup=$1
build=$2
. "$(dirname "$0")/../scripts/common.sh"
. "$(dirname "$0")/verdict.sh"

machine_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\purl'
user_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\purl'
uninstall_key=$machine_key # the entry the checks read: the machine's, or the user's own
desktop_key='HKCU\Control Panel\Desktop'
wine_key='HKCU\Software\Wine'
setup_windows=$(windows_path "$setup")
windows=$WINEPREFIX/drive_c/windows
system32=$windows/system32
syswow64=$windows/syswow64
# An install for the user only: the user's own programs folder and Start-menu item.
profile=$WINEPREFIX/drive_c/users/${USER:-$(id -un)} # Wine names the user's folder so
own=$profile/AppData/Local/Programs/purl
own_windows="C:\\users\\${profile##*/}\\AppData\\Local\\Programs\\purl"
menu_item="$profile/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/purl screen saver.lnk"
trace=$BUILD/setup-trace.log # setup's Wine trace of the processes it starts and the DLLs loaded
reg_view=$WINE64             # the loader whose reg reads the view setup writes: 64-bit but on 9x
driver=("$WINE64" "$build/x86_64/tests/e2e/purl_e2e.exe") # its helpers: pages, rights, files in use
system=win10                 # where setup keeps the current saver: the registry, or win98's system.ini

reg_value() { # $1: key, $2: value; its data, or exit code 1 if there is no such value
    local out
    out=$("$reg_view" reg query "$1" /v "$2" 2>/dev/null) || return 1
    tr -d '\r' <<<"$out" | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}
reg_put() { # $1: key, $2: value, $3: its data as a string, or "-" to delete the value
    if [ "$3" = - ]; then
        "$reg_view" reg delete "$1" /v "$2" /f >/dev/null 2>&1
    else
        "$reg_view" reg add "$1" /v "$2" /d "$3" /f >/dev/null 2>&1
    fi
}
boot_saver() { # system.ini's [boot] SCRNSAVE.EXE, "-" when the line is missing
    tr -d '\r' <"$windows/system.ini" | awk -F= '
        /^\[/ { boot = tolower($0) == "[boot]"; next }
        boot && tolower($1) == "scrnsave.exe" { print substr($0, index($0, "=") + 1); found = 1 }
        END { if (!found) print "-" }'
}
current_saver() { # the current saver as setup reads it, "-" for none
    if [ "$system" = win98 ]; then
        boot_saver
    else
        reg_value "$desktop_key" SCRNSAVE.EXE || echo -
    fi
}
choose_saver() { # $1: the saver to make current, "-" for none
    if [ "$system" = win98 ]; then
        if [ "$1" = - ]; then
            printf '[boot]\r\n' >"$windows/system.ini"
        else
            printf '[boot]\r\nSCRNSAVE.EXE=%s\r\n' "$1" >"$windows/system.ini"
        fi
    else
        reg_put "$desktop_key" SCRNSAVE.EXE "$1"
    fi
}
active() { reg_value "$desktop_key" ScreenSaveActive || echo -; } # ScreenSaveActive, or "-"
windows_version() { reg_put "$wine_key" Version "$1"; } # $1: win10, win98, ... or "-" for Wine's own
same_ci() { [ "${1,,}" = "${2,,}" ]; } # the same but for case, as Windows paths are

running() { jobs -rp | grep -qx "$1"; } # $1: a program this started in the background, still running
# Ends a program started in the background, after up to $2 seconds; its exit code.
end_of() {
    for _ in $(seq $(($2 * 10))); do
        running "$1" || break
        sleep 0.1
    done
    running "$1" && kill "$1"
    wait "$1"
}
# Waits for the page showing the text $1 with the button $2 enabled, and moves the pointer over
# its window, where the keys go. Records the missing page in $missing.
page() {
    local place
    place=$("${driver[@]}" --wait-for-page "$1" "$2" 2>/dev/null) || { missing="no page \"$1\""; return 1; }
    xdotool mousemove $place
}
# Clicks setup through, Install, Next, Finish: $1 "cleared" clears the box on the first page, $2
# "settings" ticks the last page's box that opens the settings, $3 "user" starts it without an
# administrator's rights. Its exit code.
setup_clicked() {
    local pid launcher=("$WINE32")
    [ "${3:-}" = user ] && launcher=("${driver[@]}" --without-administrator)
    WINEDEBUG=+process,+loaddll "${launcher[@]}" "$setup_windows" 2>"$trace" &
    pid=$!
    missing="exit code"
    if page "Click Install to continue." Install; then
        if [ -n "${welcome_picture:-}" ]; then
            import -window "$(xdotool search --name "^purl $PURL_VERSION Setup" | head -1)" "$welcome_picture"
            welcome_picture=
        fi
        [ "${1:-}" = cleared ] && xdotool key alt+m
        xdotool key Return
        page "Completed" Next && xdotool key Return &&
            page "purl is installed." Finish && {
            [ "${2:-}" = settings ] && xdotool key alt+o
            xdotool key Return
        }
    fi
    end_of "$pid" 10
}
# The uninstaller's copies that run from this prefix's temporary folder: their process ids.
uninstaller_copies() {
    local pid
    for pid in $(pgrep -f 'Temp\\~nsu[0-9A-F]*\.tmp\\Un'); do
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$pid"
    done
}
# Starts the uninstaller that the entry names ($1: UninstallString, or QuietUninstallString for
# the silent one) and, unless silent, clicks it through: Uninstall, Close. It goes on from a copy
# of itself in the temporary folder, so this waits until its last step has removed its folder and
# the copy has ended; a copy that has not is ended.
uninstall() {
    local command program folder
    missing=
    command=$(reg_value "$uninstall_key" "$1") # "C:\...\uninstall.exe", then " /S" if silent
    program=$(sed -n 's/^"\([^"]*\)".*/\1/p' <<<"$command")
    [ -n "$program" ] || { missing="no $1 in the entry"; return 1; }
    folder=$("$reg_view" winepath -u "${program%\\*}" 2>/dev/null)
    "$WINE32" "$program" $(sed -n 's/^"[^"]*" *//p' <<<"$command") >/dev/null 2>&1
    uninstall_code=$?
    if [ "$1" = UninstallString ]; then
        page "Click Uninstall to continue." Uninstall && xdotool key Return &&
            page "Uninstall was completed successfully." Close && xdotool key Return || return 1
    fi
    for _ in $(seq 150); do
        [ -n "$folder" ] && [ ! -e "$folder" ] && [ -z "$(uninstaller_copies)" ] && return 0
        sleep 0.2
    done
    missing="$folder is still there, or the uninstaller still runs"
    kill $(uninstaller_copies) 2>/dev/null
    return 1
}
# The entry: its version, "-" without an entry.
entry_version() { reg_value "$uninstall_key" DisplayVersion || echo -; }
# What an uninstall left, for a failure's detail: $1 the system folder.
left_behind() { echo "${missing:+$missing; }$(ls "$1" 2>/dev/null | grep -i purl) entry $(entry_version)"; }
# After an uninstall that exited with $3: purl.scr gone from the system folder $2, the entry and
# the uninstaller too. $1: how it ran, and as which system.
check_uninstalled() {
    local code=$3
    verdict "uninstall $1: the file, the entry and the uninstaller are gone" \
        "$([ "$code" -eq 0 ] && [ ! -e "$2/purl.scr" ] && [ "$(entry_version)" = - ]; echo $?)" \
        "$(left_behind "$2")"
}
# Runs the uninstaller in its own folder, as its copy does, to give its exit code: $1 "/S", or
# the driver's flag for a start without an administrator's rights and then "/S". The folder goes
# as a short path: the uninstaller takes "_?=" only unquoted.
uninstall_in_place() {
    local program folder
    program=$(reg_value "$uninstall_key" UninstallString | tr -d '"')
    folder=$("$reg_view" winepath -s "${program%\\*}" 2>/dev/null)
    if [ "$1" = /S ]; then
        "$WINE32" "$program" /S "_?=$folder" >/dev/null 2>&1
    else
        "${driver[@]}" "$1" "$program" "/S _?=$folder" >/dev/null 2>&1
    fi
}
# The command line setup started the settings page with, from its trace.
settings_command() {
    sed -n 's/.*CreateProcessInternalW app (null) cmdline L"\(.*rundll32.*\)"$/\1/p' "$trace" |
        head -1 | sed 's/\\"/"/g; s/\\\\/\\/g'
}

# The shared prefix as found: put back when the check ends, however it ends.
saved=$(mktemp -d)
cp "$windows/system.ini" "$saved/system.ini"
saved_saver=$(reg_value "$desktop_key" SCRNSAVE.EXE || echo -)
saved_active=$(active)
saved_version=$(reg_value "$wine_key" Version || echo -)
if "$WINE64" reg query "$uninstall_key" >/dev/null 2>&1 ||
    "$WINE32" reg query "$uninstall_key" >/dev/null 2>&1; then
    had_entry=1
else
    had_entry=0
fi
put_files=()
for file in "$system32"/{purl,previous,other}.scr "$syswow64"/{purl,old}.scr \
    "$WINEPREFIX/drive_c/Program Files (x86)/purl" "$own" "$menu_item"; do
    [ -e "$file" ] || put_files+=("$file")
done
temporary=$(ls -d "$WINEPREFIX"/drive_c/users/*/Temp/{ns,~nsu}*.tmp 2>/dev/null)
restore() {
    local pid
    for pid in $(jobs -rp); do
        kill "$pid" && wait "$pid" 2>/dev/null
    done
    kill $(uninstaller_copies) 2>/dev/null
    reg_view=$WINE64
    cp "$saved/system.ini" "$windows/system.ini"
    reg_put "$desktop_key" SCRNSAVE.EXE "$saved_saver"
    reg_put "$desktop_key" ScreenSaveActive "$saved_active"
    reg_put "$wine_key" Version "$saved_version"
    [ ${#put_files[@]} -gt 0 ] && rm -rf "${put_files[@]}"
    "$WINE64" reg delete "$user_key" /f >/dev/null 2>&1
    for package in "${next_msi:-}" "${msi64:-}"; do # a Windows Installer product left installed
        [ -f "$package" ] && reg_value "$(product_key "$package")" DisplayVersion >/dev/null &&
            "$WINE64" msiexec /x "$(windows_path "$package")" /qn >/dev/null 2>&1
    done
    "$WINE64" reg delete 'HKCU\Software\purl' /f >/dev/null 2>&1
    if [ "$had_entry" = 0 ]; then
        "$WINE64" reg delete "$uninstall_key" /f >/dev/null 2>&1
        "$WINE32" reg delete "$uninstall_key" /f >/dev/null 2>&1
    fi
    # Setup's plug-in folders (a stopped setup leaves its own) and the uninstaller's copies.
    for folder in "$WINEPREFIX"/drive_c/users/*/Temp/{ns,~nsu}*.tmp; do
        [ -e "$folder" ] && ! grep -qxF "$folder" <<<"$temporary" && rm -rf "$folder"
    done
    rm -rf "$saved"
}
trap restore EXIT
trap 'exit 130' INT TERM

# 64-bit Windows 10, clicked through with the box on, a previous saver chosen and active.
windows_version win10
previous='C:\windows\system32\previous.scr'
cp "$build/x86_64/purl_paint_reference.scr" "$system32/previous.scr"
choose_saver "$previous"
reg_put "$desktop_key" ScreenSaveActive 1
welcome_picture=$BUILD/setup-welcome.png
setup_clicked on settings
verdict "setup clicked, 64-bit Windows 10: Install, Next, Finish, exit code 0" $? "$missing"
# The two lines of the choice of for whom stand just above the box, where the welcome text's
# label once painted over them: the page's shot shows their text there.
shown=$(convert "$BUILD/setup-welcome.png" -crop 300x40+175+224 -colorspace gray -threshold 50% \
    -format '%[fx:int(w*h*(1-mean))]' info: 2>/dev/null)
verdict "setup clicked, 64-bit Windows 10: the first page shows the choice of for whom" \
    "$([ "${shown:-0}" -gt 200 ]; echo $?)" "${shown:-no} dark pixels where the choice stands"
verdict "setup clicked, 64-bit Windows 10: the 64-bit build in the native system32" \
    "$(cmp -s "$system32/purl.scr" "$build/x86_64/purl.scr"; echo $?)" \
    "purl.scr in $(cd "$windows" && ls -d system32/purl.scr syswow64/purl.scr 2>/dev/null)"
saver=$(current_saver)
verdict "setup clicked, 64-bit Windows 10: purl is the current saver" \
    "$(same_ci "$saver" 'C:\windows\system32\purl.scr' && [ "$(active)" = 1 ]; echo $?)" \
    "SCRNSAVE.EXE $saver, ScreenSaveActive $(active)"
entry=$(entry_version)
verdict "setup clicked, 64-bit Windows 10: the Add/Remove Programs entry holds the version" \
    "$([ "$entry" = "$PURL_VERSION" ] && [ -n "$(reg_value "$uninstall_key" DisplayIcon)" ] &&
        [ "$(reg_value "$uninstall_key" NoModify)" = 0x1 ] &&
        [ -n "$(reg_value "$uninstall_key" EstimatedSize)" ]; echo $?)" "DisplayVersion $entry"
# The native rundll32 (a 64-bit process, loaded above 4 GB) on the page's name.
command=$(settings_command)
verdict "setup clicked, 64-bit Windows 10: Finish opens the settings on the screen-saver page" \
    "$(same_ci "$command" '"C:\windows\system32\rundll32.exe" shell32.dll,Control_RunDLL desk.cpl,,@screensaver' &&
        grep -Eiq 'Loaded L"C:\\\\windows\\\\system32\\\\rundll32.exe" at [0-9A-F]{16}:' "$trace"
        echo $?)" "${command:-no settings started}"
# The saver the registry names starts full screen and ends with a key, exit code 0.
"${driver[@]}" --gtest_filter=host.full_screen_window "$saver" >"$BUILD/setup-saver.log" 2>&1
verdict "setup clicked, 64-bit Windows 10: the installed saver runs from the registry's path" $? \
    "see $BUILD/setup-saver.log"
"$WINE32" "$setup_windows" /S >/dev/null 2>&1 # as over an older version
verdict "setup silent over it, 64-bit Windows 10: exits 0, purl still current" \
    "$([ $? -eq 0 ] && same_ci "$(current_saver)" 'C:\windows\system32\purl.scr'; echo $?)" \
    "SCRNSAVE.EXE $(current_saver)"
uninstall UninstallString
check_uninstalled "clicked, 64-bit Windows 10" "$system32" $?
saver=$(current_saver)
verdict "uninstall clicked, 64-bit Windows 10: the previous saver is current again" \
    "$(same_ci "$saver" "$previous" && [ "$(active)" = 1 ]; echo $?)" \
    "SCRNSAVE.EXE $saver, ScreenSaveActive $(active)"
setup_clicked cleared
verdict "setup clicked with the box cleared, 64-bit Windows 10: exit code 0, purl installed" \
    "$([ $? -eq 0 ] && cmp -s "$system32/purl.scr" "$build/x86_64/purl.scr"; echo $?)" "$missing"
saver=$(current_saver)
verdict "setup clicked with the box cleared, 64-bit Windows 10: the previous saver stays current" \
    "$(same_ci "$saver" "$previous"; echo $?)" "SCRNSAVE.EXE $saver"
uninstall QuietUninstallString
verdict "uninstall silent, 64-bit Windows 10: the file and the entry are gone, the saver as it was" \
    "$([ $? -eq 0 ] && [ ! -e "$system32/purl.scr" ] && [ "$(entry_version)" = - ] &&
        same_ci "$(current_saver)" "$previous"; echo $?)" \
    "$(left_behind "$system32"), SCRNSAVE.EXE $(current_saver)"

# What the uninstaller puts back, after a silent setup: the saver setup found (none if there was
# none or its file is gone) and ScreenSaveActive as found, missing included; neither if another
# saver was chosen after purl. Over purl installed by the setup before this one, whose record
# (saver,ScreenSaveActive) was kept in the machine's entry, what that setup found.
# system | case | saver before ("-": none) | ScreenSaveActive before | between setup and uninstall
# | saver after | ScreenSaveActive after | the machine's entry's record before ("-": none)
restore_rows=(
    'win10|a previous saver|C:\windows\system32\previous.scr|0|-|C:\windows\system32\previous.scr|0|-'
    'win10|no previous saver|-|1|-|-|1|-'
    'win10|no previous saver nor ScreenSaveActive|-|-|-|-|-|-'
    'win10|a previous saver whose file was deleted|C:\windows\system32\previous.scr|1|delete it|-|1|-'
    'win10|another saver chosen after purl|C:\windows\system32\previous.scr|1|choose other.scr, inactive|C:\windows\system32\other.scr|0|-'
    'win10|over the setup before this one|C:\windows\system32\purl.scr|1|-|C:\windows\system32\previous.scr|0|C:\windows\system32\previous.scr,0'
    'win98|a previous saver|C:\WINDOWS\SYSTEM32\OLD.SCR|1|-|C:\WINDOWS\SYSTEM32\OLD.SCR|1|-'
    'win98|a previous saver whose file was deleted|C:\WINDOWS\SYSTEM32\OLD.SCR|1|delete it|-|1|-'
)
for row in "${restore_rows[@]}"; do
    IFS='|' read -r system name before active_before between after active_after old_record <<<"$row"
    windows_version "$system"
    reg_view=$WINE64
    [ "$system" = win98 ] && reg_view=$WINE32
    cp "$build/x86_64/purl_paint_reference.scr" "$system32/previous.scr"
    cp "$build/i686/purl_paint_reference.scr" "$syswow64/old.scr"
    choose_saver "$before"
    reg_put "$desktop_key" ScreenSaveActive "$active_before"
    if [ "$old_record" != - ]; then
        reg_put "$machine_key" PreviousSaver "${old_record%,*}"
        reg_put "$machine_key" PreviousScreenSaveActive "${old_record##*,}"
        "$reg_view" reg add "$machine_key" /v PreviousRecorded /t REG_DWORD /d 1 /f >/dev/null 2>&1
    fi
    "$WINE32" "$setup_windows" /S >/dev/null 2>&1
    code=$?
    case $between in
    delete*) rm -f "$system32/previous.scr" "$syswow64/old.scr" ;;
    choose*) choose_saver 'C:\windows\system32\other.scr' && reg_put "$desktop_key" ScreenSaveActive 0 ;;
    esac
    uninstall QuietUninstallString
    saver=$(current_saver)
    verdict "uninstall silent, $system, $name: SCRNSAVE.EXE $after, ScreenSaveActive $active_after" \
        "$([ "$code" -eq 0 ] && same_ci "$saver" "$after" && [ "$(active)" = "$active_after" ]
            echo $?)" "setup exit $code; SCRNSAVE.EXE $saver, ScreenSaveActive $(active)"
done
system=win10 reg_view=$WINE64
windows_version win10
cp "$build/x86_64/purl_paint_reference.scr" "$system32/previous.scr"
choose_saver "$previous"

# Without an administrator's rights (the driver starts it with the Administrators group
# deny-only in its token): for everyone (/AllUsers) one message, nothing written, exit code 2
# (the driver gives 255 when it could not start it so, or had to end it).
nothing_written() {
    [ ! -e "$system32/purl.scr" ] && [ ! -e "$syswow64/purl.scr" ] && [ ! -e "$own" ] &&
        [ "$(entry_version)" = - ] && same_ci "$(current_saver)" "$previous"
}
"${driver[@]}" --without-administrator "$setup_windows" "/S /AllUsers" >/dev/null 2>&1
code=$?
verdict "setup silent for everyone without an administrator: exits 2, writes nothing" \
    "$([ "$code" -eq 2 ] && nothing_written; echo $?)" "exit $code, or something was written"
"$WINE32" "$setup_windows" /S >/dev/null 2>&1
uninstall_in_place --without-administrator
code=$?
verdict "uninstall silent without an administrator, installed for everyone: exits 2, removes nothing" \
    "$([ "$code" -eq 2 ] && [ -e "$system32/purl.scr" ] && [ "$(entry_version)" = "$PURL_VERSION" ]
        echo $?)" "exit $code, or something was removed"
uninstall QuietUninstallString

# Only for me, clicked without an administrator's rights (Wine has no elevation prompt; the
# token lacks the Administrators group): the build in the user's programs folder, purl current
# by its full path, the user's own entry and Start-menu item, nothing in the system folder.
setup_clicked on "" user
code=$?
uninstall_key=$user_key
saver=$(current_saver)
verdict "setup clicked only for me without an administrator: the 64-bit build in the user's folder, none in the system folder" \
    "$([ "$code" -eq 0 ] && cmp -s "$own/purl.scr" "$build/x86_64/purl.scr" &&
        [ ! -e "$system32/purl.scr" ] && [ ! -e "$syswow64/purl.scr" ]; echo $?)" \
    "${missing:-exit $code}; $(ls "$own" 2>&1)"
verdict "setup clicked only for me without an administrator: purl current by its full path" \
    "$(same_ci "$saver" "$own_windows\\purl.scr"; echo $?)" "SCRNSAVE.EXE $saver"
verdict "setup clicked only for me without an administrator: the user's own entry and Start-menu item" \
    "$([ "$(entry_version)" = "$PURL_VERSION" ] && ! "$WINE64" reg query "$machine_key" >/dev/null 2>&1 &&
        [ -e "$menu_item" ]; echo $?)" "user's entry $(entry_version)"
# The Start-menu item's command, as the shortcut holds it, makes purl current again.
choose_saver 'C:\windows\system32\other.scr'
item_program=$(strings "$menu_item" | grep -m1 -x 'C:\\.*\.exe')
item_arguments=$(strings -el "$menu_item" | grep -F '_?=' | grep -o '/.*')
"$WINE32" "$item_program" $item_arguments >/dev/null 2>&1
saver=$(current_saver)
verdict "the Start-menu item makes purl current again" \
    "$(same_ci "$saver" "$own_windows\\purl.scr"; echo $?)" "SCRNSAVE.EXE $saver; ran $item_program $item_arguments"
choose_saver "$previous"
"$WINE32" "$item_program" $item_arguments >/dev/null 2>&1
uninstall UninstallString
code=$?
saver=$(current_saver)
verdict "uninstall clicked from the user's entry: the file, the folder, the entry and the item are gone, the previous saver current" \
    "$([ "$code" -eq 0 ] && [ ! -e "$own" ] && [ "$(entry_version)" = - ] && [ ! -e "$menu_item" ] &&
        same_ci "$saver" "$previous"; echo $?)" "${missing:-}; SCRNSAVE.EXE $saver"

# Silent, as an administrator: /CurrentUser and /AllUsers, each undone by the entry's quiet
# uninstall, whose exit code is the uninstall's own: 2 with purl.scr in use (mapped as an image
# by the driver), nothing removed; 0 once it is free, and no file of purl left.
# switch | where purl.scr goes | the entry | what the other way would write, which stays absent
silent_rows=(
    "/CurrentUser|$own|$user_key|$system32/purl.scr|$machine_key"
    "/AllUsers|$system32|$machine_key|$own|$user_key"
)
for row in "${silent_rows[@]}"; do
    IFS='|' read -r switch folder uninstall_key elsewhere other_key <<<"$row"
    "$WINE32" "$setup_windows" /S "$switch" >/dev/null 2>&1
    code=$?
    verdict "setup silent $switch as an administrator: exits 0, purl.scr in ${folder#"$WINEPREFIX/"} only, one entry" \
        "$([ "$code" -eq 0 ] && cmp -s "$folder/purl.scr" "$build/x86_64/purl.scr" &&
            [ "$(entry_version)" = "$PURL_VERSION" ] && [ ! -e "$elsewhere" ] &&
            ! "$WINE64" reg query "$other_key" >/dev/null 2>&1; echo $?)" \
        "exit $code, entry $(entry_version); or ${elsewhere#"$WINEPREFIX/"} or $other_key is there"
    "${driver[@]}" --hold-image "$(reg_value "$uninstall_key" DisplayIcon | sed 's/,0$//')" >"$BUILD/setup-hold.log" 2>&1 &
    holder=$!
    for _ in $(seq 100); do
        grep -qs held "$BUILD/setup-hold.log" && break
        sleep 0.1
    done
    command=$(reg_value "$uninstall_key" QuietUninstallString)
    "$WINE32" "$(sed -n 's/^"\([^"]*\)".*/\1/p' <<<"$command")" $(sed -n 's/^"[^"]*" *//p' <<<"$command") >/dev/null 2>&1
    code=$?
    verdict "quiet uninstall $switch with purl.scr in use: exits 2, removes nothing" \
        "$([ "$code" -eq 2 ] && [ -e "$folder/purl.scr" ] && [ "$(entry_version)" = "$PURL_VERSION" ]
            echo $?)" "exit $code; $(cat "$BUILD/setup-hold.log")"
    kill "$holder" && wait "$holder" 2>/dev/null
    uninstall QuietUninstallString
    verdict "quiet uninstall $switch: exits 0, no file of purl left" \
        "$([ "$uninstall_code" -eq 0 ] && [ -z "$missing" ] && [ ! -e "$folder/purl.scr" ] &&
            [ "$(entry_version)" = - ]; echo $?)" "exit $uninstall_code; $(left_behind "$folder")"
done
uninstall_key=$machine_key
# The user's uninstaller with its purl.scr gone, while purl is installed for everyone too: it
# goes by its own folder, removes the user's install and leaves everyone's.
"$WINE32" "$setup_windows" /S /AllUsers >/dev/null 2>&1
"$WINE32" "$setup_windows" /S /CurrentUser >/dev/null 2>&1
rm -f "$own/purl.scr"
uninstall_key=$user_key
uninstall QuietUninstallString
verdict "quiet uninstall for the user, its purl.scr gone, purl also for everyone: removes only the user's" \
    "$([ "$uninstall_code" -eq 0 ] && [ -z "$missing" ] && [ "$(entry_version)" = - ] &&
        [ -e "$system32/purl.scr" ] && reg_value "$machine_key" DisplayVersion >/dev/null; echo $?)" \
    "exit $uninstall_code; ${missing:-} user's entry $(entry_version), $(ls "$system32" | grep -i purl)"
uninstall_key=$machine_key
uninstall QuietUninstallString

# The Windows Installer packages beside setup, installed by msiexec as deployment tools do
# (/qn): the x64 package puts the 64-bit build in the native system32 with its entry; a package
# of the next version, holding another file, replaces it (one entry, the new file); removing it
# leaves neither; the x86 package refuses 64-bit Windows with its message and changes nothing.
# (The x86 package installs in the 32-bit prefix, below.)
msi64=${setup%-setup.exe}-x64.msi
msi32=${setup%-setup.exe}-x86.msi
msi_log=$BUILD/setup-msi.log
product_key() { # $1: a package; the key of its Add/Remove Programs entry
    echo "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$(msiinfo export "$1" Property |
        tr -d '\r' | sed -n 's/^ProductCode\t//p')"
}
msiexec() { # $1: the loader, then msiexec's arguments; its exit code
    local loader=$1
    shift
    "$loader" msiexec "$@" /qn /l*v "$(windows_path "$msi_log")" >/dev/null 2>&1
}
next_msi=$(mktemp -d)/purl-next-x64.msi
build_msi x64 "${PURL_VERSION%.*}.$((${PURL_VERSION##*.} + 1))" "$build/x86_64/purl_paint_reference.scr" \
    "$next_msi" "$(date +%s)"
msiexec "$WINE64" /i "$(windows_path "$msi64")"
code=$?
entry=$(reg_value "$(product_key "$msi64")" DisplayVersion)
verdict "msiexec /i the x64 package: exits 0, the 64-bit build in the native system32, the entry" \
    "$([ "$code" -eq 0 ] && cmp -s "$system32/purl.scr" "$build/x86_64/purl.scr" &&
        [ "$entry" = "$PURL_VERSION" ] && same_ci "$(current_saver)" "$previous"; echo $?)" \
    "exit $code, entry ${entry:--}, SCRNSAVE.EXE $(current_saver); see $msi_log"
msiexec "$WINE64" /i "$(windows_path "$next_msi")"
code=$?
verdict "msiexec /i the next version over it: exits 0, one entry, the new file" \
    "$([ "$code" -eq 0 ] && cmp -s "$system32/purl.scr" "$build/x86_64/purl_paint_reference.scr" &&
        ! reg_value "$(product_key "$msi64")" DisplayVersion >/dev/null &&
        reg_value "$(product_key "$next_msi")" DisplayVersion >/dev/null; echo $?)" "exit $code; see $msi_log"
msiexec "$WINE64" /x "$(windows_path "$next_msi")"
code=$?
verdict "msiexec /x: exits 0, neither file nor entry" \
    "$([ "$code" -eq 0 ] && [ ! -e "$system32/purl.scr" ] &&
        ! reg_value "$(product_key "$next_msi")" DisplayVersion >/dev/null; echo $?)" "exit $code; see $msi_log"
msiexec "$WINE32" /i "$(windows_path "$msi32")"
code=$?
# 1603 (installation failed), of which an exit status keeps 67; Wine's msiexec logs no message
# with /qn, so the message is read from the package's launch conditions.
verdict "msiexec /i the x86 package on 64-bit Windows: refuses with its message, changes nothing" \
    "$([ "$code" -eq $((1603 & 255)) ] && msiinfo export "$msi32" LaunchCondition | grep -q 'install purl-[0-9.]*-x64.msi' &&
        [ ! -e "$system32/purl.scr" ] && [ ! -e "$syswow64/purl.scr" ] &&
        ! reg_value "$(product_key "$msi32")" DisplayVersion >/dev/null; echo $?)" "exit $code; see $msi_log"
# Windows on ARM, as the system's environment names its processor there.
environment_key='HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment'
processor=$(reg_value "$environment_key" PROCESSOR_ARCHITECTURE)
reg_put "$environment_key" PROCESSOR_ARCHITECTURE ARM64
msiexec "$WINE64" /i "$(windows_path "$msi64")"
code=$?
reg_put "$environment_key" PROCESSOR_ARCHITECTURE "${processor:--}"
verdict "msiexec /i the x64 package on Windows on ARM: refuses, changes nothing" \
    "$([ "$code" -eq $((1603 & 255)) ] && [ ! -e "$system32/purl.scr" ] &&
        ! reg_value "$(product_key "$msi64")" DisplayVersion >/dev/null; echo $?)" "exit $code; see $msi_log"
rm -rf "${next_msi%/*}"

# purl.scr in use, as the settings page's preview keeps it: mapped as an image (the driver maps
# it so), over an older purl (this one installed, its file and version made older). Silent
# setup and uninstall stop (exit code 2, the older file and entry kept); clicked, setup asks to
# close the settings and goes on with Retry once they are.
older=$build/x86_64/purl_paint_reference.scr
"$WINE32" "$setup_windows" /S >/dev/null 2>&1
cp "$older" "$system32/purl.scr"
reg_put "$uninstall_key" DisplayVersion 0.9
"${driver[@]}" --hold-image 'C:\windows\system32\purl.scr' >"$BUILD/setup-hold.log" 2>&1 &
holder=$!
for _ in $(seq 100); do
    grep -qs held "$BUILD/setup-hold.log" && break
    sleep 0.1
done
"$WINE32" "$setup_windows" /S >/dev/null 2>&1
code=$?
verdict "setup silent with purl.scr in use: exits 2, keeps the older file and entry" \
    "$([ "$code" -eq 2 ] && cmp -s "$system32/purl.scr" "$older" && [ "$(entry_version)" = 0.9 ]
        echo $?)" "exit $code; $(cat "$BUILD/setup-hold.log"), entry $(entry_version)"
uninstall_in_place /S
code=$?
verdict "uninstall silent with purl.scr in use: exits 2, removes nothing" \
    "$([ "$code" -eq 2 ] && [ -e "$system32/purl.scr" ] && [ "$(entry_version)" = 0.9 ]; echo $?)" \
    "exit $code, or something was removed"
"$WINE32" "$setup_windows" >/dev/null 2>&1 &
pid=$!
missing=
page "Click Install to continue." Install && xdotool key Return &&
    page "in use" Retry && {
    kill "$holder" && wait "$holder" 2>/dev/null
    xdotool key Return
    page "Completed" Next && xdotool key Return && page "purl is installed." Finish &&
        xdotool key Return
}
end_of "$pid" 10
code=$?
verdict "setup clicked with purl.scr in use: says so, installs on Retry once it is free" \
    "$([ -z "$missing" ] && [ "$code" -eq 0 ] &&
        cmp -s "$system32/purl.scr" "$build/x86_64/purl.scr" &&
        [ "$(entry_version)" = "$PURL_VERSION" ]; echo $?)" "${missing:-exit $code}"
running "$holder" && kill "$holder" && wait "$holder"
uninstall QuietUninstallString

# The settings page each system names: a tab number on 9x, NT 4 and 2000, the page's name from
# XP on (the Windows 98 and Windows 10 runs check their own).
# system | what Finish starts
settings_rows=(
    'nt40|"C:\windows\system32\rundll32.exe" shell32.dll,Control_RunDLL desk.cpl,,1'
    'win2k|"C:\windows\system32\rundll32.exe" shell32.dll,Control_RunDLL desk.cpl,,1'
    'winxp|"C:\windows\system32\rundll32.exe" shell32.dll,Control_RunDLL desk.cpl,,@screensaver'
)
for row in "${settings_rows[@]}"; do
    IFS='|' read -r version expected <<<"$row"
    windows_version "$version"
    setup_clicked on settings
    code=$?
    command=$(settings_command)
    verdict "setup clicked, $version: Finish opens the settings on the screen-saver page" \
        "$([ "$code" -eq 0 ] && same_ci "$command" "$expected"; echo $?)" \
        "$missing $code; ${command:-no settings started}"
    uninstall QuietUninstallString
done

# Windows 98, clicked through: the 32-bit build in its system folder (the 32-bit view of
# system32), system.ini, and the previous line back exactly.
windows_version win98
system=win98 reg_view=$WINE32
cp "$build/i686/purl_paint_reference.scr" "$syswow64/old.scr"
choose_saver 'C:\WINDOWS\SYSTEM32\OLD.SCR'
setup_clicked on settings
verdict "setup clicked, Windows 98: exit code 0" $? "$missing"
verdict "setup clicked, Windows 98: the 32-bit build in the system folder" \
    "$(cmp -s "$syswow64/purl.scr" "$build/i686/purl.scr"; echo $?)" "$(ls "$syswow64" | grep -i purl)"
saver=$(current_saver)
verdict "setup clicked, Windows 98: system.ini names purl" \
    "$(same_ci "${saver##*\\}" purl.scr; echo $?)" "SCRNSAVE.EXE=$saver"
command=$(settings_command)
verdict "setup clicked, Windows 98: Finish opens the settings on the screen-saver tab" \
    "$(same_ci "$command" '"C:\windows\rundll32.exe" shell32.dll,Control_RunDLL desk.cpl,,1'
        echo $?)" "${command:-no settings started}"
uninstall UninstallString
check_uninstalled "clicked, Windows 98" "$syswow64" $?
saver=$(current_saver)
verdict "uninstall clicked, Windows 98: system.ini's line is the previous one again" \
    "$([ "$saver" = 'C:\WINDOWS\SYSTEM32\OLD.SCR' ]; echo $?)" "SCRNSAVE.EXE=$saver"
system=win10 reg_view=$WINE64
windows_version "$saved_version"

# A 32-bit Windows prefix, made once, clicked through.
prefix32=$BUILD/wineprefix32
if [ ! -f "$prefix32/.purl-prefix-ready" ]; then
    rm -rf "$prefix32"
    WINEPREFIX=$prefix32 WINEARCH=win32 "$WINE32" wineboot -i >"$BUILD/wineboot32.log" 2>&1 &&
        WINEPREFIX=$prefix32 "$WINESERVER" -w && touch "$prefix32/.purl-prefix-ready"
fi
(
    failures=0
    export WINEPREFIX=$prefix32
    system32=$prefix32/drive_c/windows/system32
    reg_view=$WINE32
    driver=("$WINE32" "$build/i686/tests/e2e/purl_e2e.exe")
    tidy() { # the prefix as it was made, its server ended, however this ends
        kill $(jobs -rp) 2>/dev/null
        choose_saver -
        "$WINE32" reg delete "$uninstall_key" /f >/dev/null 2>&1
        reg_value "$(product_key "$msi32")" DisplayVersion >/dev/null &&
            "$WINE32" msiexec /x "$(windows_path "$msi32")" /qn >/dev/null 2>&1
        rm -rf "$system32"/{previous,purl}.scr "$prefix32/drive_c/Program Files/purl" \
            "$prefix32"/drive_c/users/*/Temp/{ns,~nsu}*.tmp
        "$WINESERVER" -k 2>/dev/null
    }
    trap tidy EXIT
    trap 'exit 130' INT TERM
    "$WINESERVER" -p
    cp "$build/i686/purl_paint_reference.scr" "$system32/previous.scr"
    choose_saver "$previous"
    setup_clicked
    verdict "setup clicked, 32-bit Windows: exit code 0" $? "$missing; see $BUILD/wineboot32.log"
    verdict "setup clicked, 32-bit Windows: the 32-bit build in system32" \
        "$(cmp -s "$system32/purl.scr" "$build/i686/purl.scr"; echo $?)" "$(ls "$system32" | grep -i purl)"
    saver=$(current_saver)
    verdict "setup clicked, 32-bit Windows: purl is the current saver" \
        "$(same_ci "$saver" 'C:\windows\system32\purl.scr'; echo $?)" "SCRNSAVE.EXE $saver"
    uninstall UninstallString
    check_uninstalled "clicked, 32-bit Windows" "$system32" $?
    saver=$(current_saver)
    verdict "uninstall clicked, 32-bit Windows: the previous saver is current again" \
        "$(same_ci "$saver" "$previous"; echo $?)" "SCRNSAVE.EXE $saver"
    msiexec "$WINE32" /i "$(windows_path "$msi32")"
    code=$?
    verdict "msiexec /i the x86 package, 32-bit Windows: exits 0, the 32-bit build in system32, the entry" \
        "$([ "$code" -eq 0 ] && cmp -s "$system32/purl.scr" "$build/i686/purl.scr" &&
            reg_value "$(product_key "$msi32")" DisplayVersion >/dev/null; echo $?)" "exit $code; see $msi_log"
    msiexec "$WINE32" /x "$(windows_path "$msi32")"
    code=$?
    verdict "msiexec /x, 32-bit Windows: exits 0, neither file nor entry" \
        "$([ "$code" -eq 0 ] && [ ! -e "$system32/purl.scr" ] &&
            ! reg_value "$(product_key "$msi32")" DisplayVersion >/dev/null; echo $?)" "exit $code; see $msi_log"
    exit "$failures"
)
failures=$((failures + $?))
[ "$failures" -eq 0 ]
