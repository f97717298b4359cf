#include "toolhelp_enumerator.h"

ToolhelpProcessEnumerator::ToolhelpProcessEnumerator()
    : kernel(0), snapshot(INVALID_HANDLE_VALUE), createSnapshot(0), processFirst(0), processNext(0)
{
    ZeroMemory(&record, sizeof record);
    ok = 0;
    // Already loaded in every process: neither loaded again nor released.
    kernel = GetModuleHandleA("KERNEL32.DLL");
    if (kernel == 0)
        return;
    createSnapshot = reinterpret_cast<CreateToolhelp32SnapshotFunction>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "CreateToolhelp32Snapshot")));
    processFirst = reinterpret_cast<Process32FirstFunction>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "Process32First")));
    processNext = reinterpret_cast<Process32NextFunction>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "Process32Next")));
    if (createSnapshot && processFirst && processNext) {
        record.dwSize = sizeof record;
        ok = 1;
    }
}

int ToolhelpProcessEnumerator::EnumerateProcesses(ProcessVisitor visitor, uintptr_t context)
{
    if (!ok)
        return 0;
    snapshot = createSnapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 1;
    if (processFirst(snapshot, &record)) {
        do {
            record.szExeFile[MAX_PATH - 1] = '\0';
            visitor(record.szExeFile, record.th32ProcessID, context);
        } while (processNext(snapshot, &record) == TRUE);
    }
    CloseHandle(snapshot);
    return 1;
}
