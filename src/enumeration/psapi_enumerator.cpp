#include "psapi_enumerator.h"

#include <stdlib.h>
#include <string.h>

// The ID list starts at this many entries and doubles until EnumProcesses
// leaves room to spare, which is how it says the list was not cut short.
static const DWORD kFirstIdCapacity = 1024;
static const DWORD kMaxIdCapacity = 1 << 22;

template <typename Function>
static Function Resolve(HMODULE library, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// Fills *ids with a heap array of every process ID and *count with their number.
// 0 when the list cannot be read.
static int ReadProcessIds(EnumProcessesFunction enumProcesses, DWORD** ids, DWORD* count)
{
    DWORD capacity = kFirstIdCapacity;
    DWORD* list = 0;
    for (;;) {
        DWORD* grown = static_cast<DWORD*>(realloc(list, capacity * sizeof(DWORD)));
        if (grown == 0)
            break;
        list = grown;
        DWORD bytes = 0;
        if (!enumProcesses(list, capacity * sizeof(DWORD), &bytes))
            break;
        if (bytes < capacity * sizeof(DWORD)) {
            *ids = list;
            *count = bytes / sizeof(DWORD);
            return 1;
        }
        if (capacity >= kMaxIdCapacity)
            break;
        capacity *= 2;
    }
    free(list);
    return 0;
}

PsapiProcessEnumerator::PsapiProcessEnumerator()
    : psapi(0), vdmdbg(0), enumProcesses(0), getModuleFileNameEx(0), enumProcessModules(0),
      vdmEnumTaskWowEx(0), getModuleBaseName(0), openProcess(OpenProcess), createSnapshot(0), processFirst(0),
      processNext(0)
{
    ok = 0;
    HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
    if (kernel != 0) {
        createSnapshot = Resolve<CreateToolhelp32SnapshotFunction>(kernel, "CreateToolhelp32Snapshot");
        processFirst = Resolve<Process32FirstFunction>(kernel, "Process32First");
        processNext = Resolve<Process32NextFunction>(kernel, "Process32Next");
    }
    psapi = LoadLibraryA("PSAPI.DLL");
    if (psapi == 0)
        return;
    vdmdbg = LoadLibraryA("VDMDBG.DLL");
    if (vdmdbg == 0)
        return;
    vdmEnumTaskWowEx = GetProcAddress(vdmdbg, "VDMEnumTaskWOWEx");
    enumProcesses = Resolve<EnumProcessesFunction>(psapi, "EnumProcesses");
    getModuleFileNameEx = Resolve<GetModuleFileNameExAFunction>(psapi, "GetModuleFileNameExA");
    getModuleBaseName = Resolve<GetModuleBaseNameAFunction>(psapi, "GetModuleBaseNameA");
    enumProcessModules = Resolve<EnumProcessModulesFunction>(psapi, "EnumProcessModules");
    if (vdmEnumTaskWowEx && enumProcesses && getModuleFileNameEx && getModuleBaseName && enumProcessModules)
        ok = 1;
}

void PsapiProcessEnumerator::ReleaseLibraries()
{
    if (vdmdbg)
        FreeLibrary(vdmdbg);
    if (psapi)
        FreeLibrary(psapi);
    vdmdbg = 0;
    psapi = 0;
}

// The process's image name from the snapshot (taken at the first call), after
// a backslash: the folder it was started from cannot be read. 0 when there is
// no snapshot or it does not list the process (it has ended, say).
int PsapiProcessEnumerator::NameFromSnapshot(DWORD processId, HANDLE* snapshot, char* path)
{
    if (!createSnapshot || !processFirst || !processNext)
        return 0;
    if (*snapshot == INVALID_HANDLE_VALUE)
        *snapshot = createSnapshot(TH32CS_SNAPPROCESS, 0);
    if (*snapshot == INVALID_HANDLE_VALUE)
        return 0;
    PROCESSENTRY32 record;
    record.dwSize = sizeof record;
    for (BOOL more = processFirst(*snapshot, &record); more; more = processNext(*snapshot, &record)) {
        if (record.th32ProcessID == processId) {
            record.szExeFile[MAX_PATH - 1] = '\0';
            path[0] = '\\';
            memcpy(path + 1, record.szExeFile, strlen(record.szExeFile) + 1);
            return 1;
        }
    }
    return 0;
}

int PsapiProcessEnumerator::EnumerateProcesses(ProcessVisitor visitor, uintptr_t context)
{
    if (!ok) {
        ReleaseLibraries();
        return 0;
    }

    DWORD* ids = 0;
    DWORD count = 0;
    if (!ReadProcessIds(enumProcesses, &ids, &count)) {
        ReleaseLibraries();
        return 0;
    }

    // Only the first module is used; one handle is all EnumProcessModules needs.
    HMODULE firstModule;
    // One spare byte: older Windows does not terminate a path it had to cut.
    char path[MAX_PATH + 1];
    HANDLE snapshot = INVALID_HANDLE_VALUE;
    for (DWORD k = 0; k < count; ++k) {
        int named = 0;
        HANDLE process = openProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ids[k]);
        if (process != 0) {
            DWORD needed = 0;
            if (enumProcessModules(process, &firstModule, sizeof firstModule, &needed)) {
                DWORD length = getModuleFileNameEx(process, firstModule, path, MAX_PATH);
                if (length != 0) {
                    path[length < MAX_PATH ? length : MAX_PATH] = '\0';
                    named = 1;
                }
                // A path that fills the buffer may have lost its end, the
                // image name with it: the snapshot's name is then the better.
                if (length >= MAX_PATH - 1 && NameFromSnapshot(ids[k], &snapshot, path))
                    named = 1;
            }
        }
        // Skipping a process that will not be named would hide a database
        // server from the scan and let the run end "clean".
        if (named || NameFromSnapshot(ids[k], &snapshot, path))
            visitor(path, ids[k], context);
        if (process != 0)
            CloseHandle(process);
    }
    if (snapshot != INVALID_HANDLE_VALUE)
        CloseHandle(snapshot);
    free(ids);
    ReleaseLibraries();
    return 1;
}
