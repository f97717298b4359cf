#include "run_scan.h"

#include <windows.h>
#include <stdio.h>

#include "debug_privilege.h"
#include "maker.h"
#include "process_enumerator.h"
#include "process_memory.h"
#include "signature.h"
#include "target_name.h"

char ComputerName[16];

// Set when a database server could not be opened, none of its memory could be
// read, or it ended before its walk was done: the run must not then call the
// computer clean.
static int CheckIncomplete;

[[noreturn]] static void EndRun(ExitStatus status)
{
    fflush(stdout);
    TerminateProcess(GetCurrentProcess(), status);
    ExitProcess(status);
}

void ExamineProcess(const char* imagePath, uint32_t processId, uintptr_t)
{
    if (processId == GetCurrentProcessId())
        return;
    if (!IsDatabaseServerPath(imagePath))
        return;
    int complete = 0;
    if (!ScanProcessMemory(processId, &complete)) {
        if (!complete)
            CheckIncomplete = 1;
        return;
    }
    printf("\n%s  is infected with W32/Slammer.A\n\n", ComputerName);
    printf("For more information on the removal of W32/Slammer.A visit\n");
    printf("https://www.kb.cert.org/vuls/id/484891\n");
    EndRun(kStatusInfected);
}

void RunScan(int, char**, char**)
{
    printf("Vexorin v1.0 - W32/Slammer detection tool \n");
    printf("%s\n", VEXORIN_COPYRIGHT);

    DWORD size = sizeof ComputerName;
    if (!GetComputerNameA(ComputerName, &size))
        ComputerName[0] = '\0';

    if (!LoadSignature())
        EndRun(kStatusSignatureMissing);

    // Before the enumeration, which must open a server to learn its name.
    EnableDebugPrivilege();
    if (!EnumerateAllProcesses(IsWindowsNT(), ExamineProcess, 0)) {
        printf("cannot list processes\n");
        CheckIncomplete = 1;
    }
    if (CheckIncomplete) {
        printf("\n%s could not be fully checked\n", ComputerName);
        EndRun(kStatusIncomplete);
    }
    printf("\n%s was found to be clean\n", ComputerName);
    EndRun(kStatusClean);
}
