# Shared by scripts/test and scripts/demo: installing what is missing, building, and a private
# Xvfb display with its own Wine prefix. Sourced, not run.

PURL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=$PURL_ROOT/build
# The project version, set once in CMakeLists.txt; the package and setup program carry it.
PURL_VERSION=$(sed -n 's/^project(purl VERSION \([0-9.]*\).*/\1/p' "$PURL_ROOT/CMakeLists.txt")
WINE64=/usr/lib/wine/wine64
WINE32=/usr/lib/wine/wine
WINESERVER=/usr/lib/wine/wineserver
# The emulator for 32-bit programs where the kernel refuses them, and what binfmt_misc hands it:
# i386 ELF programs of any system ABI, by the first 20 bytes of their header and a mask.
QEMU_I386=/usr/bin/qemu-i386
I386_ELF_MAGIC='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
I386_ELF_MASK='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
export WINEPREFIX=$BUILD/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

# Debian packages that provide each command the build and the tests use. The 32-bit Wine loader
# (wine32, of the i386 architecture) is left out only when PURL_SKIP_32BIT=1.
install_missing() {
    local needed=() arch
    command -v cmake >/dev/null || needed+=(cmake)
    command -v g++ >/dev/null || needed+=(g++)
    [ -f /usr/include/gtest/gtest.h ] || needed+=(libgtest-dev)
    [ -f /usr/src/googletest/googletest/CMakeLists.txt ] || needed+=(googletest)
    for arch in x86_64 i686; do
        command -v "$arch-w64-mingw32-g++-win32" >/dev/null || needed+=("g++-mingw-w64-${arch/_/-}-win32")
        command -v "$arch-w64-mingw32-g++-posix" >/dev/null || needed+=("g++-mingw-w64-${arch/_/-}-posix")
        command -v "$arch-w64-mingw32-windres" >/dev/null || needed+=("binutils-mingw-w64-${arch/_/-}")
    done
    [ -x "$WINE64" ] || needed+=(wine64)
    command -v wine >/dev/null || needed+=(wine)
    if [ "${PURL_SKIP_32BIT:-0}" != 1 ] && [ ! -x "$WINE32" ]; then
        needed+=(wine32:i386)
        dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386 ||
            { echo "could not add the i386 architecture" >&2; return 1; }
    fi
    command -v Xvfb >/dev/null || needed+=(xvfb)
    command -v Xorg >/dev/null || needed+=(xserver-xorg-core)
    [ -f /usr/lib/xorg/modules/drivers/dummy_drv.so ] || needed+=(xserver-xorg-video-dummy)
    command -v xrandr >/dev/null || needed+=(x11-xserver-utils)
    command -v xdotool >/dev/null || needed+=(xdotool)
    # ImageMagick: the image here may carry a stand-in "convert", so look for "import" too.
    command -v import >/dev/null || needed+=(imagemagick)
    command -v zip >/dev/null || needed+=(zip)
    command -v unzip >/dev/null || needed+=(unzip)
    command -v makensis >/dev/null || needed+=(nsis)
    command -v wixl >/dev/null || needed+=(wixl)
    command -v msibuild >/dev/null || needed+=(msitools)
    command -v faketime >/dev/null || needed+=(faketime)
    if [ ${#needed[@]} -gt 0 ]; then
        echo "installing: ${needed[*]}"
        export DEBIAN_FRONTEND=noninteractive
        # A mirror in the middle of a sync serves an index that does not match its release
        # file; it comes right within minutes, so try a few times before giving up.
        # A mirror may also serve one architecture's security index stale for days; apt drops
        # it, and the 32-bit libraries then cannot match the 64-bit ones taken from security.
        # The release's own packages carry one version on every architecture, so fall back to them.
        local try release
        release=$(. /etc/os-release && echo "$VERSION_CODENAME")
        for try in 1 2 3 4; do
            apt-get update -qq
            apt-get install -y -qq "${needed[@]}" >/dev/null && return 0
            echo "install failed; trying the packages of $release itself" >&2
            apt-get install -y -qq -t "$release" "${needed[@]}" >/dev/null && return 0
            [ "$try" = 4 ] || { echo "install failed (try $try of 4), trying again in 60 s" >&2; sleep 60; }
        done
        echo "could not install: ${needed[*]}" >&2
        return 1
    fi
}

# $1: build folder name (native, sanitize, x86_64, i686). "sanitize" is the native build with
# AddressSanitizer and UndefinedBehaviorSanitizer, stopping at the first report.
build_one() {
    local name=$1 toolchain=()
    case $name in
    native) ;;
    sanitize) toolchain=(-DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=all") ;;
    *) toolchain=(-DCMAKE_TOOLCHAIN_FILE="$PURL_ROOT/cmake/mingw-$name.cmake") ;;
    esac
    cmake -S "$PURL_ROOT" -B "$BUILD/$name" -DCMAKE_BUILD_TYPE=Release "${toolchain[@]}" >/dev/null &&
        cmake --build "$BUILD/$name" -j "$(nproc)" -- --no-print-directory >/dev/null
}

# Starts Xvfb on a free display (1024 x 768 unless $1 gives another size, 24 bits unless $2
# gives another depth) and exports DISPLAY.
start_display() {
    local n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 "${1:-1024x768}x${2:-24}" -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do
        [ -e "/tmp/.X11-unix/X$n" ] && return 0
        sleep 0.1
    done
    echo "Xvfb did not start" >&2
    return 1
}

# Starts Xorg with the dummy driver on a free display, lays out its monitors and exports
# DISPLAY. Each argument is one monitor: "OUTPUT WIDTHxHEIGHT X Y", with " primary" for the
# primary one. Wine reads the layout when a process starts.
start_monitors() {
    local n=110 monitor output mode x y primary layout=()
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xorg ":$n" -config "$PURL_ROOT/tests/e2e/xorg-dummy.conf" -noreset -nolisten tcp -novtswitch \
        -sharevts -logfile "$BUILD/xorg.log" >/dev/null 2>&1 &
    XORG_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && xrandr >/dev/null 2>&1 && break
        sleep 0.05
    done
    xrandr >/dev/null 2>&1 || { echo "Xorg with the dummy driver did not start (see $BUILD/xorg.log)"; return 1; }
    for monitor in "$@"; do
        read -r output mode x y primary <<<"$monitor"
        if ! xrandr | grep -q "^   $mode "; then # a size the driver does not offer
            xrandr --newmode "$mode" $(cvt "${mode%x*}" "${mode#*x}" | sed -n 's/^Modeline "[^"]*" *//p')
        fi
        xrandr --addmode "$output" "$mode" 2>/dev/null
        layout+=(--output "$output" --mode "$mode" --pos "${x}x$y" ${primary:+--primary})
    done
    xrandr "${layout[@]}" || { echo "xrandr could not lay out: $*"; return 1; }
    # In place once the server lists every monitor; Wine then reads them at its start.
    for _ in $(seq 100); do
        xrandr --listmonitors | grep -qx "Monitors: $#" && return 0
        sleep 0.05
    done
    echo "xrandr did not lay out: $*"
    return 1
}

stop_monitors() {
    [ -n "${XORG_PID:-}" ] && kill "$XORG_PID" >/dev/null 2>&1 && wait "$XORG_PID" 2>/dev/null
    XORG_PID=
}

# Whether this machine starts 32-bit programs: a kernel that runs 64-bit programs only, and
# hands them to no emulator, refuses the i386 loader with "Exec format error" (exit 126).
runs_32bit() {
    "$WINE32" --version >/dev/null 2>&1
    [ $? -ne 126 ]
}

# Whether the version line on stdin is of qemu-i386 10 or later (bookworm's own 7.2 takes about
# 50 s to start each Wine process).
is_qemu_10() {
    grep -Eq '^qemu-i386 version ([1-9][0-9])\.'
}

# Whether 32-bit programs run under the emulator (which reads QEMU_VERSION), not the processor.
emulates_32bit() {
    QEMU_VERSION=1 "$WINE32" --version 2>/dev/null | grep -q '^qemu-i386'
}

# The enabled binfmt_misc entries that hand i386 ELF programs to anything but qemu-i386 10 or
# later, one "entry interpreter" a line. binfmt_misc comes before the kernel's own loader, so
# such an entry starts every 32-bit program, even where the processor would run it.
slow_emulators() {
    local entry interpreter
    for entry in /proc/sys/fs/binfmt_misc/*; do
        # The magic in hex: a 32-bit ELF header ("7f454c4601") for machine 3, the i386.
        interpreter=$(awk '$1 == "enabled" {on = 1} $1 == "interpreter" {path = $2}
            $1 == "magic" && $2 ~ /^7f454c4601/ && substr($2, 37, 4) == "0300" {i386 = 1}
            END {if (on && i386) print path}' "$entry" 2>/dev/null)
        # Debian's wrappers (…-binfmt-P) link to qemu, which takes their name as its mode.
        [ -n "$interpreter" ] &&
            ! "$(readlink -f "$interpreter")" --version 2>/dev/null | is_qemu_10 &&
            echo "$entry $interpreter"
    done
}

# Whether a configured apt source offers suite $1: apt's own reading of the one-line .list and
# the deb822 .sources files, by the suite named there or the codename its fetched release gives
# (apt-cache policy's n=).
apt_offers() {
    { apt-get indextargets --no-release-info --format '$(TARGET_OF) $(RELEASE)'
        apt-get indextargets --format '$(TARGET_OF) $(CODENAME)'; } 2>/dev/null |
        awk -v suite="$1" '$1 == "deb" && $2 == suite {found = 1} END {exit !found}'
}

# Installs package $2 from the backports of release $1. Where no configured source offers them,
# adds them from the mirror the release's own packages come from, in a file of purl's own name:
# a <release>-backports.list may be an administrator's.
install_from_backports() {
    local suite=$1-backports parts mirror
    if ! apt_offers "$suite"; then
        eval "$(apt-config shell parts Dir::Etc::sourceparts/d)"
        mirror=$(apt-get indextargets --no-release-info --format '$(TARGET_OF) $(RELEASE) $(SITE)' |
            awk -v release="$1" '$1 == "deb" && $2 == release {print $3; exit}')
        [ -n "$mirror" ] && echo "deb $mirror $suite main" >"${parts}purl-$suite.list" || return 1
    fi
    apt-get update -qq &&
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq -t "$suite" "$2" >/dev/null
}

# Makes this machine run 32-bit programs, the i686 builds and their Wine loader, on the processor
# or under qemu-i386 10 or later, never a slower emulator: binfmt_misc entries of one are switched
# off first. On a kernel that refuses them, i386 ELF programs are handed through binfmt_misc to
# qemu-i386 of qemu-user 10 from the release's backports; the F flag opens the emulator once, at
# registration. Prints one line and returns 1 when neither the kernel nor the emulator runs
# them. Every start of a 32-bit program comes after this.
run_32bit_programs() {
    local binfmt=/proc/sys/fs/binfmt_misc release entry interpreter
    [ -x "$WINE32" ] || { echo "the 32-bit Wine loader $WINE32 is missing (wine32:i386)"; return 1; }
    while read -r entry interpreter; do
        echo "switching off $entry: it hands 32-bit programs to $interpreter, not qemu-i386 10" \
            "(echo 1 >$entry turns it on again)"
        echo 0 >"$entry" || { echo "could not switch off $entry"; return 1; }
    done < <(slow_emulators)
    runs_32bit && return 0
    if ! "$QEMU_I386" --version 2>/dev/null | is_qemu_10; then
        release=$(. /etc/os-release && echo "$VERSION_CODENAME")
        echo "installing qemu-user from backports: this kernel runs no 32-bit programs"
        install_from_backports "$release" qemu-user &&
            "$QEMU_I386" --version 2>/dev/null | is_qemu_10 ||
            { echo "this kernel runs no 32-bit programs, and qemu-user 10 from $release-backports" \
                "could not be installed"; return 1; }
    fi
    [ -e "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt" ||
        { echo "this kernel runs no 32-bit programs, and binfmt_misc could not be mounted"; return 1; }
    [ -e "$binfmt/purl-i386" ] && echo -1 >"$binfmt/purl-i386" # registered by an older run
    printf '%s' ":purl-i386:M::$I386_ELF_MAGIC:$I386_ELF_MASK:$QEMU_I386:F" >"$binfmt/register" &&
        runs_32bit && QEMU_VERSION=1 "$WINE32" --version 2>/dev/null | is_qemu_10 && return 0
    [ -e "$binfmt/purl-i386" ] && echo -1 >"$binfmt/purl-i386"
    echo "this kernel runs no 32-bit programs, and $QEMU_I386 registered with binfmt_misc" \
        "does not run $WINE32"
    return 1
}

# Makes the Wine prefix on first use and keeps one wineserver alive for the whole run. A prefix
# whose set-up failed is reported and removed, never used: only a finished one carries the mark.
start_wine() {
    local ready=$WINEPREFIX/.purl-prefix-ready
    # A prefix made before the 32-bit loader was installed lacks the 32-bit system: make it again.
    [ -x "$WINE32" ] && runs_32bit &&
        [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ] && rm -f "$ready"
    if [ ! -f "$ready" ]; then
        echo "making the Wine prefix (once)"
        rm -rf "$WINEPREFIX" && mkdir -p "$WINEPREFIX"
        if ! "$WINE64" wineboot -i >"$BUILD/wineboot.log" 2>&1 || ! "$WINESERVER" -w ||
            [ ! -f "$WINEPREFIX/system.reg" ]; then
            echo "FAIL the Wine prefix could not be made (see $BUILD/wineboot.log)"
            rm -rf "$WINEPREFIX"
            return 1
        fi
        # No crash dialog waiting for a click in an unattended run.
        "$WINE64" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
            >/dev/null 2>&1 && "$WINESERVER" -w || {
            echo "FAIL the Wine prefix could not be set up"
            rm -rf "$WINEPREFIX"
            return 1
        }
        touch "$ready"
    fi
    # A server that is still up from an earlier run serves as well.
    "$WINESERVER" -p 2>/dev/null || true
}

stop_all() {
    "$WINESERVER" -k >/dev/null 2>&1
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" >/dev/null 2>&1
    stop_monitors
    wait >/dev/null 2>&1
    return 0
}

digest_guid() { # the GUID made of the first 128 bits of the SHA-256 of the standard input
    local digest
    digest=$(sha256sum | tr a-f A-F)
    echo "${digest:0:8}-${digest:8:4}-${digest:12:4}-${digest:16:4}-${digest:20:12}"
}

# Builds a Windows Installer package from installer/purl.wxs with wixl: $1 x64 or x86, $2 the
# version, $3 the purl.scr it installs, $4 the package, $5 its time (seconds since 1970; the
# commit's). The product code comes from the package's kind and version (a rebuild of a version
# is the same product), the package code from all it holds, and wixl runs with the clock
# stopped at that time (faketime), so the same input gives the same bytes.
build_msi() {
    local arch=$1 version=$2 work template='Intel;1033' code product package clock
    work=$(mktemp -d)
    cp "$3" "$work/purl.scr"
    cp "$PURL_ROOT/resources/icon_letter.ico" "$work/purl.ico"
    cp "$PURL_ROOT/installer/purl.wxs" "$work/purl.wxs"
    touch -d "@$5" "$work"/*
    [ "$arch" = x64 ] && template='x64;1033'
    product=$(echo "purl $arch $version" | digest_guid)
    package=$(cat <(echo "purl $arch $version") "$work"/purl.{scr,ico,wxs} | digest_guid)
    clock=$(TZ=UTC date -d "@$5" '+%Y-%m-%d %H:%M:%S') # without "@": a clock that stands still
    (cd "$work" && TZ=UTC faketime -f "$clock" wixl -a "$arch" -D Arch="$arch" -D Version="$version" \
        -D ProductCode="$product" -o purl.msi purl.wxs &&
        TZ=UTC faketime -f "$clock" msibuild purl.msi -s "purl (screen saver)" purl "$template" \
            "{$package}") >"$work/wixl.log" 2>&1
    code=$?
    [ "$code" -eq 0 ] && cp "$work/purl.msi" "$4" || cat "$work/wixl.log" >&2
    rm -rf "$work"
    return "$code"
}

# Windows path of a file under the tree, as Wine's Z: drive sees it.
windows_path() {
    printf 'Z:%s' "$(echo "$1" | tr '/' '\\')"
}
