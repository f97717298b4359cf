// Lists processes on the Windows NT family through the process-status library.
#ifndef VEXORIN_PSAPI_ENUMERATOR_H
#define VEXORIN_PSAPI_ENUMERATOR_H

#include <windows.h>

#include "process_enumerator.h"
#include "toolhelp_enumerator.h"

// PSAPI.DLL and VDMDBG.DLL are loaded by name at run time: the 95 family has
// neither, and a static import would stop the tool loading there.
typedef BOOL(WINAPI* EnumProcessesFunction)(DWORD* processIds, DWORD size, DWORD* bytesReturned);
typedef BOOL(WINAPI* EnumProcessModulesFunction)(HANDLE process, HMODULE* modules, DWORD size, DWORD* bytesNeeded);
typedef DWORD(WINAPI* GetModuleFileNameExAFunction)(HANDLE process, HMODULE module, char* path, DWORD size);
typedef DWORD(WINAPI* GetModuleBaseNameAFunction)(HANDLE process, HMODULE module, char* name, DWORD size);
typedef HANDLE(WINAPI* OpenProcessFunction)(DWORD access, BOOL inherit, DWORD processId);

class PsapiProcessEnumerator : public ProcessEnumerator {
public:
    PsapiProcessEnumerator();
    // Shows the visitor the full path of each process's first module (its
    // executable). A process that cannot be opened or named this way (a
    // service the user may not open, say), or whose path fills the buffer and
    // may have been cut, is shown as a backslash and the image name from the
    // system's process snapshot, where the system has one (Windows 2000 and
    // later); without one it is skipped, or shown with its path as it came. Both libraries are
    // released before it returns, whatever the outcome; returns 0 when not ok
    // or when the process list cannot be read.
    virtual int EnumerateProcesses(ProcessVisitor visitor, uintptr_t context);

protected:
    // Protected so that tests can stand in for the library's entry points.
    void ReleaseLibraries();

    HMODULE psapi;
    HMODULE vdmdbg;
    EnumProcessesFunction enumProcesses;
    GetModuleFileNameExAFunction getModuleFileNameEx;
    EnumProcessModulesFunction enumProcessModules;
    // Never called; required so that a system without VDMDBG.DLL is not listed.
    FARPROC vdmEnumTaskWowEx;
    GetModuleBaseNameAFunction getModuleBaseName;
    OpenProcessFunction openProcess;
    // From KERNEL32.DLL; null on systems without the process snapshot.
    CreateToolhelp32SnapshotFunction createSnapshot;
    Process32FirstFunction processFirst;
    Process32NextFunction processNext;

private:
    int NameFromSnapshot(DWORD processId, HANDLE* snapshot, char* path);
};

#endif
