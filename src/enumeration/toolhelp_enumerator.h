// Lists processes on the Windows 95 family from a Toolhelp32 snapshot.
#ifndef VEXORIN_TOOLHELP_ENUMERATOR_H
#define VEXORIN_TOOLHELP_ENUMERATOR_H

#include <windows.h>
#include <tlhelp32.h>

#include "process_enumerator.h"

// Entry points looked up in KERNEL32.DLL at run time: the first Windows NT
// versions do not export them, and a static import would stop the tool loading.
typedef HANDLE(WINAPI* CreateToolhelp32SnapshotFunction)(DWORD flags, DWORD processId);
typedef BOOL(WINAPI* Process32FirstFunction)(HANDLE snapshot, PROCESSENTRY32* entry);
typedef BOOL(WINAPI* Process32NextFunction)(HANDLE snapshot, PROCESSENTRY32* entry);

class ToolhelpProcessEnumerator : public ProcessEnumerator {
public:
    ToolhelpProcessEnumerator();
    // Shows the visitor each snapshot entry's szExeFile and th32ProcessID.
    // Returns 1 even when no snapshot can be taken or it yields no entry.
    virtual int EnumerateProcesses(ProcessVisitor visitor, uintptr_t context);

private:
    HMODULE kernel;
    HANDLE snapshot;
    PROCESSENTRY32 record;
    CreateToolhelp32SnapshotFunction createSnapshot;
    Process32FirstFunction processFirst;
    Process32NextFunction processNext;
};

#endif
