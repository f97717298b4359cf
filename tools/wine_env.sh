# Sourced by the scripts that run Windows programs: one Wine prefix inside the
# build tree (never ~/.wine) and one wineserver for the whole session.
#   wine_begin   prepare the prefix and start the server, outside any pipe
#   wine_end     stop every Wine process, so nothing outlives the command

VEXORIN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEARCH=win32
export WINEPREFIX="$VEXORIN_ROOT/build/wineprefix"
export WINEDEBUG=-all
# No Mono or Gecko prompts, no menu entries, and a crash ends at once instead
# of waiting in the debugger.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"

# On a kernel without IA-32 emulation the 32-bit loader runs under qemu's user
# mode, and the wineserver needs tools/qemu_wineserver_shim.c to read other
# processes' memory where qemu really put it.
wine_enable_32bit() {
    local binfmt=/proc/sys/fs/binfmt_misc
    if [ ! -e $binfmt/qemu-i386 ]; then
        /usr/lib/wine/wine --version >/dev/null 2>&1 && return 0
        wine_need_root || return 1
        [ -e $binfmt/register ] || mount -t binfmt_misc binfmt_misc $binfmt
        echo "This kernel cannot run 32-bit programs: Wine runs under qemu-i386."
        [ -e $binfmt/qemu-i386 ] || printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' > $binfmt/register
    fi
    WINE_SERVER_PRELOAD="$VEXORIN_ROOT/build/qemu_wineserver_shim.so"
    if [ ! "$WINE_SERVER_PRELOAD" -nt "$VEXORIN_ROOT/tools/qemu_wineserver_shim.c" ]; then
        mkdir -p "$VEXORIN_ROOT/build"
        gcc -O2 -shared -fPIC "$VEXORIN_ROOT/tools/qemu_wineserver_shim.c" -o "$WINE_SERVER_PRELOAD" -ldl || return 1
    fi
    /usr/lib/wine/wine --version >/dev/null 2>&1
}

wine_need_root() {
    [ "$(id -u)" = 0 ] && return 0
    echo "This kernel cannot run 32-bit programs; as root, tools/wine_env.sh runs them under qemu-i386." >&2
    return 1
}

wine_begin() {
    WINE_SERVER_PRELOAD=
    wine_enable_32bit || return 1
    wine_end
    if [ ! -f "$WINEPREFIX/.vexorin-ready" ]; then
        wine_create_prefix || return 1
    fi
    # The server and Wine's own services inherit the standard handles of the
    # first program; start them here so they never hold a test's pipes open.
    LD_PRELOAD="${WINE_SERVER_PRELOAD:-}" wineserver -p 600 </dev/null >/dev/null 2>&1
    timeout 180 wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

# A prefix whose creation was cut short is never repaired by Wine: always start
# from an empty folder and mark success at the end. Under qemu a Wine process
# now and then hangs for good, so each attempt is bounded and retried.
wine_create_prefix() {
    local attempt
    for attempt in 1 2 3; do
        echo "Creating the Wine prefix in $WINEPREFIX (about a minute, once)"
        rm -rf "$WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        if timeout 200 wine wineboot --init </dev/null >/dev/null 2>&1 &&
            timeout 200 wineserver -w && [ -f "$WINEPREFIX/system.reg" ]; then
            touch "$WINEPREFIX/.vexorin-ready"
            return 0
        fi
        echo "Wine prefix creation did not finish (attempt $attempt); Wine processes left:"
        local pid
        for pid in $(wine_prefix_processes); do
            ps -o pid=,etime=,args= -p "$pid" | sed 's/^/    /'
        done
        wine_end
    done
    echo "Wine prefix creation failed; $(uname -sr), wine: $(wine --version 2>&1)" >&2
    return 1
}

# Every process of this prefix, found by its environment: under qemu, a
# process whose server went away does not always end by itself.
wine_prefix_processes() {
    local pid
    for pid in $(grep -lzx "WINEPREFIX=$WINEPREFIX" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3); do
        tr '\0' ' ' 2>/dev/null <"/proc/$pid/cmdline" | grep -q '/usr/lib/wine/' && echo "$pid"
    done
}

wine_end() {
    timeout 60 wineserver -k >/dev/null 2>&1 || true
    timeout 60 wineserver -w >/dev/null 2>&1 || true
    local pids
    pids=$(wine_prefix_processes)
    [ -z "$pids" ] || kill -9 $pids 2>/dev/null || true
}
