#include "debug_privilege.h"

// Looked up at run time, so that the tool loads where ADVAPI32.DLL or these
// functions are missing, as on the 95 family.
typedef BOOL(WINAPI* OpenProcessTokenFunction)(HANDLE process, DWORD access, HANDLE* token);
typedef BOOL(WINAPI* LookupPrivilegeValueAFunction)(const char* systemName, const char* name, LUID* luid);
typedef BOOL(WINAPI* AdjustTokenPrivilegesFunction)(HANDLE token, BOOL disableAll, TOKEN_PRIVILEGES* newState,
                                                    DWORD previousSize, TOKEN_PRIVILEGES* previous,
                                                    DWORD* previousLength);

int EnableDebugPrivilege()
{
    return EnableDebugPrivilegeWith(LoadLibraryA("ADVAPI32.DLL"));
}

int EnableDebugPrivilegeWith(HMODULE advapi)
{
    if (advapi == NULL)
        return 0;
    OpenProcessTokenFunction openProcessToken = reinterpret_cast<OpenProcessTokenFunction>(
        reinterpret_cast<void*>(GetProcAddress(advapi, "OpenProcessToken")));
    LookupPrivilegeValueAFunction lookupPrivilegeValue = reinterpret_cast<LookupPrivilegeValueAFunction>(
        reinterpret_cast<void*>(GetProcAddress(advapi, "LookupPrivilegeValueA")));
    AdjustTokenPrivilegesFunction adjustTokenPrivileges = reinterpret_cast<AdjustTokenPrivilegesFunction>(
        reinterpret_cast<void*>(GetProcAddress(advapi, "AdjustTokenPrivileges")));
    if (!openProcessToken || !lookupPrivilegeValue || !adjustTokenPrivileges)
        return 0;

    TOKEN_PRIVILEGES wanted;
    wanted.PrivilegeCount = 1;
    wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!lookupPrivilegeValue(NULL, "SeDebugPrivilege", &wanted.Privileges[0].Luid))
        return 0;
    HANDLE token;
    if (!openProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token))
        return 0;
    // A token without the privilege is not an error to the call: it succeeds,
    // enables nothing, and only the error code tells.
    int enabled = adjustTokenPrivileges(token, FALSE, &wanted, 0, NULL, NULL) && GetLastError() == ERROR_SUCCESS;
    CloseHandle(token);
    return enabled;
}
