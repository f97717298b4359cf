#!/usr/bin/env bash
# Checks the shipped Vexorin.exe itself: that it loads on old Windows (a 32-bit
# console program for Windows 4.0 that imports only functions Windows 2000
# has, from KERNEL32.dll and msvcrt.dll, leaving the optional libraries to
# run-time lookup), that it carries the signature, and its version block.
# The resources are read under Wine, through the Windows API; needs the Wine
# session of tools/wine_env.sh.
#   executable_test.sh <Vexorin.exe> <executable_resources.exe>
set -u
tool=$1
resources=$2
headers=$(i686-w64-mingw32-objdump -p "$tool")
failures=0
pass() { echo "ok     $1"; }
fail() { echo "FAILED $1"; failures=$((failures + 1)); }
expect() {
    if grep -qE "$2" <<<"$headers"; then pass "$1"; else fail "$1"; fi
}
expect "i386 machine" 'file format pei-i386$'
expect "32-bit PE" 'Magic[[:space:]]+010b'
expect "console subsystem" 'Subsystem[[:space:]]+00000003'
expect "OS version 4.0" 'MajorOSystemVersion[[:space:]]+4$'
expect "OS minor version 0" 'MinorOSystemVersion[[:space:]]+0$'
expect "subsystem version 4.0" 'MajorSubsystemVersion[[:space:]]+4$'
expect "subsystem minor version 0" 'MinorSubsystemVersion[[:space:]]+0$'

# Every function the tool may import. A name that Windows 2000's KERNEL32.DLL
# or MSVCRT.DLL does not export keeps the whole program from loading there
# (the loader refuses it before main), and no run under Wine can show that:
# Wine exports everything whatever version it reports. The C++ runtime drags
# in such names easily (GetTickCount64, AddVectoredExceptionHandler). Check a
# name against Windows 2000 before adding it here. PSAPI.DLL, VDMDBG.DLL,
# ADVAPI32.DLL and the Toolhelp32 functions are looked up at run time: the 95
# family lacks the first three, the first NT versions the last.
allowed="
KERNEL32.dll CloseHandle DeleteCriticalSection EnterCriticalSection ExitProcess
KERNEL32.dll FindResourceA FreeLibrary GetComputerNameA GetCurrentProcess GetExitCodeProcess
KERNEL32.dll GetCurrentProcessId GetLastError GetModuleHandleA GetModuleHandleW
KERNEL32.dll GetProcAddress GetStartupInfoA GetVersionExA InitializeCriticalSection
KERNEL32.dll IsDBCSLeadByteEx LeaveCriticalSection LoadLibraryA LoadResource
KERNEL32.dll LockResource MultiByteToWideChar OpenProcess ReadProcessMemory
KERNEL32.dll SetUnhandledExceptionFilter SizeofResource Sleep TerminateProcess
KERNEL32.dll TlsGetValue VirtualProtect VirtualQuery VirtualQueryEx WideCharToMultiByte
msvcrt.dll __getmainargs __initenv __mb_cur_max __p__acmdln __p__commode __p__fmode
msvcrt.dll __set_app_type __setusermatherr _amsg_exit _cexit _errno _initterm _iob
msvcrt.dll _lock _onexit _unlock abort atoi calloc exit fflush fprintf fputc free
msvcrt.dll fwrite localeconv malloc memchr memcpy memset realloc setlocale signal
msvcrt.dll strchr strerror strlen strncmp strrchr vfprintf wcslen
"
allowed_pairs=$(awk 'NF { for (k = 2; k <= NF; ++k) print $1, $k }' <<<"$allowed" | sort)
# objdump lists each library's imports under its "DLL Name:" line, one per
# line as <hint table address> <hint> <name>; an import by ordinal has no name.
imports=$(awk '/DLL Name:/ { dll = $3; next }
    dll && NF == 0 { dll = "" }
    dll && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ { print dll, (NF >= 3 ? $3 : "ordinal-" $2) }' <<<"$headers" | sort)
dlls=$(grep 'DLL Name:' <<<"$headers" | awk '{print $3}' | sort | xargs)
if [ "$dlls" = "KERNEL32.dll msvcrt.dll" ]; then pass "imports only KERNEL32.dll and msvcrt.dll"; else fail "imports from: $dlls"; fi
if [ -z "$imports" ]; then
    fail "no imported function found in objdump's listing"
else
    unlisted=$(comm -23 <(echo "$imports") <(echo "$allowed_pairs") | paste -sd ';' | sed 's/;/; /g')
    if [ -z "$unlisted" ]; then pass "every imported function is on the allowed list"; else fail "imports not on the allowed list: $unlisted"; fi
fi
toolhelp=$(grep -E '^[^ ]+ (CreateToolhelp32Snapshot|Process32First|Process32Next)$' <<<"$imports" | xargs)
if [ -z "$toolhelp" ]; then pass "Toolhelp32 is looked up at run time"; else fail "Toolhelp32 imported: $toolhelp"; fi

# The signature: stored inverted, checked here decoded, without ever writing
# the decoded bytes anywhere but down a pipe.
windows_tool="Z:${tool//\//\\}"
size=$(wine "$resources" signature "$windows_tool" | wc -c)
if [ "$size" = 376 ]; then pass "signature resource \"BIN\" #103 holds 376 bytes"; else fail "signature resource holds $size bytes, expected 376"; fi
sha=$(wine "$resources" signature "$windows_tool" | sha256sum | awk '{print $1}')
expected_sha=4f22864414f474843eb1e4599185e31d51c5b4aefde63b4dc5a850a39aeff3cb
if [ "$sha" = "$expected_sha" ]; then pass "decoded signature SHA-256"; else fail "decoded signature SHA-256 is $sha, expected $expected_sha"; fi

# The version block, read back as Windows reads it. Every named string, present
# and empty ones too.
version=$(wine "$resources" version "$windows_tool" | tr -d '\r')
expected_version='FILEVERSION 1.0.0.2
PRODUCTVERSION 1.0.0.2
FILEFLAGSMASK 0x3f
FILEFLAGS 0x0
FILEOS 0x40004
FILETYPE 0x1
FILESUBTYPE 0x0
Translation 0x0809, 0x04b0
080904b0 Comments = "W32/Slammer detection tool"
080904b0 CompanyName = "Kestrelwyn Software"
080904b0 FileDescription = "Vexorin"
080904b0 FileVersion = "1, 0, 0, 2"
080904b0 InternalName = "Vexorin"
080904b0 LegalCopyright = "Copyright (C) 2003 Kestrelwyn Software"
080904b0 LegalTrademarks = ""
080904b0 OriginalFilename = "Vexorin.exe"
080904b0 PrivateBuild = ""
080904b0 ProductName = "Kestrelwyn Software Vexorin"
080904b0 ProductVersion = "1, 0, 0, 2"
080904b0 SpecialBuild = ""'
if [ "$version" = "$expected_version" ]; then
    pass "version block"
else
    fail "version block differs (- expected, + read back):"
    diff <(echo "$expected_version") <(echo "$version") | grep '^[<>]' | sed 's/^</    -/; s/^>/    +/'
fi

[ "$failures" = 0 ]
