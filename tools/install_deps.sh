#!/usr/bin/env bash
# Installs what building and testing need on Debian 12, and nothing when it is
# all there already. Without root it names what is missing and stops.
set -euo pipefail

# clang and libclang-rt-14-dev (libFuzzer's runtime) build the matcher's fuzz target.
packages=(cmake g++ make googletest clang libclang-rt-14-dev g++-mingw-w64-i686-posix binutils-mingw-w64-i686
          wine wine32:i386 wine64 wine32-preloader:i386)

# Kernels without IA-32 emulation cannot run Wine's 32-bit loader; qemu's user
# mode runs it instead (tools/wine_env.sh registers it).
needs_qemu() {
    [ -x /usr/lib/wine/wine ] && ! /usr/lib/wine/wine --version >/dev/null 2>&1 &&
        [ ! -e /proc/sys/fs/binfmt_misc/qemu-i386 ]
}

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ] && needs_qemu && ! dpkg-query -W -f='${Status}' qemu-user-static 2>/dev/null | grep -q 'ok installed'; then
    missing+=(qemu-user-static)
fi
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" != 0 ]; then
    echo "Missing Debian packages: ${missing[*]}"
    echo "Run as root, or install them with: apt-get install ${missing[*]} (wine32 needs: dpkg --add-architecture i386)"
    exit 1
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
apt-get update -qq
apt-get install -y -qq "${missing[@]}" >/dev/null
if needs_qemu; then
    apt-get install -y -qq qemu-user-static >/dev/null
fi
