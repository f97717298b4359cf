// How the scanner is shown each running process, whatever the Windows family.
#ifndef VEXORIN_PROCESS_ENUMERATOR_H
#define VEXORIN_PROCESS_ENUMERATOR_H

#include <stdint.h>

// Called once per running process with the path of its image file
// (NUL-terminated ANSI, as the platform reports it: a full path on the NT
// family, whatever the snapshot holds on the 95 family), its process ID, and
// the context given to the enumeration, unchanged. It may end the process and
// never return.
typedef void (*ProcessVisitor)(const char* imagePath, uint32_t processId, uintptr_t context);

class ProcessEnumerator {
public:
    ProcessEnumerator() : ok(0) {}

    // Calls visitor once for each running process it can name, in the order
    // the platform lists them, and returns 1. Returns 0 without calling visitor
    // when the enumerator is not ok (a library or entry point is missing) or
    // when the process list cannot be read. Each object is used for one call.
    virtual int EnumerateProcesses(ProcessVisitor visitor, uintptr_t context) = 0;

    // 1 once the constructor has found every platform entry point it needs.
    int32_t ok;
};

// 1 on the Windows NT family, 0 on the Windows 95 family.
int IsWindowsNT();

// Runs the enumerator of the given family once and returns its result.
int EnumerateAllProcesses(int isNT, ProcessVisitor visitor, uintptr_t context);

#endif
