#!/usr/bin/env bash
# Checks that Vexorin.exe loads on old Windows: a 32-bit console program for
# Windows 4.0 whose only imports are KERNEL32.dll and msvcrt.dll, with the
# optional libraries left to run-time lookup.
#   executable_test.sh <Vexorin.exe>
set -u
headers=$(i686-w64-mingw32-objdump -p "$1")
failures=0
expect() {
    if grep -qE "$2" <<<"$headers"; then echo "ok     $1"; else echo "FAILED $1"; failures=$((failures + 1)); fi
}
refuse() {
    if grep -qiE "$2" <<<"$headers"; then echo "FAILED $1: $(grep -iE "$2" <<<"$headers" | head -3 | xargs)"; failures=$((failures + 1)); else echo "ok     $1"; fi
}
expect "32-bit PE" 'Magic[[:space:]]+010b'
expect "console subsystem" 'Subsystem[[:space:]]+00000003'
expect "OS version 4.0" 'MajorOSystemVersion[[:space:]]+4$'
expect "OS minor version 0" 'MinorOSystemVersion[[:space:]]+0$'
expect "subsystem version 4.0" 'MajorSubsystemVersion[[:space:]]+4$'
expect "subsystem minor version 0" 'MinorSubsystemVersion[[:space:]]+0$'
dlls=$(grep 'DLL Name:' <<<"$headers" | awk '{print $3}' | sort | xargs)
if [ "$dlls" = "KERNEL32.dll msvcrt.dll" ]; then echo "ok     imports only KERNEL32.dll and msvcrt.dll"; else echo "FAILED imports: $dlls"; failures=$((failures + 1)); fi
# Windows Vista and XP additions that the C++ runtime can drag in.
refuse "nothing newer than Windows 2000" '[[:space:]](GetTickCount64|AddVectoredExceptionHandler|InitializeSRWLock|InitializeConditionVariable|GetModuleHandleExW)$'
refuse "Toolhelp32 is looked up at run time" '[[:space:]](CreateToolhelp32Snapshot|Process32First|Process32Next)$'
[ "$failures" = 0 ]
