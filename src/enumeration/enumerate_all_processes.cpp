#include "process_enumerator.h"

#include <windows.h>

#include "psapi_enumerator.h"
#include "toolhelp_enumerator.h"

int IsWindowsNT()
{
    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version))
        return 0;
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

int EnumerateAllProcesses(int isNT, ProcessVisitor visitor, uintptr_t context)
{
    // The family alone decides: NT never falls back to the snapshot, and the
    // 95 family never tries the process-status library.
    if (isNT) {
        PsapiProcessEnumerator enumerator;
        return enumerator.EnumerateProcesses(visitor, context);
    }
    ToolhelpProcessEnumerator enumerator;
    return enumerator.EnumerateProcesses(visitor, context);
}
