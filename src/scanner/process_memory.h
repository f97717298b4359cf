// The search of one process's memory.
#ifndef VEXORIN_PROCESS_MEMORY_H
#define VEXORIN_PROCESS_MEMORY_H

#include <stdint.h>

// Opens the process for reading and searches its low gigabyte for
// SignaturePattern, printing a progress dot per 64 MiB. Returns 1 when the
// signature was found, 0 otherwise. *complete says whether a 0 result vouches
// for the process: 1 when some of its memory was read and it was still running
// when the walk was done; 0 when it could not be opened ("cannot open process"
// is printed), when nothing of it could be read, or when it ended part way,
// since what the walk had not reached by then was never searched.
int ScanProcessMemory(uint32_t processId, int* complete);

#endif
