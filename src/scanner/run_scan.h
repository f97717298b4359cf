// The tool's main routine, the choice of processes to search, and the verdicts.
#ifndef VEXORIN_RUN_SCAN_H
#define VEXORIN_RUN_SCAN_H

#include <stdint.h>

// Exit statuses: the verdict, for scripts that run the tool across servers.
enum ExitStatus {
    kStatusClean = 0,
    kStatusInfected = 1,
    kStatusSignatureMissing = 2,
    kStatusIncomplete = 3,  // some database server could not be searched
};

// The computer's name as the verdicts print it; empty when it cannot be read.
extern char ComputerName[16];

// Runs the whole check and ends the process with its verdict as the status.
// The arguments are ignored.
[[noreturn]] void RunScan(int argc, char** argv, char** envp);

// The process visitor: searches each database server process other than the
// tool itself, and ends the run with the infected verdict on the first hit.
void ExamineProcess(const char* imagePath, uint32_t processId, uintptr_t context);

#endif
