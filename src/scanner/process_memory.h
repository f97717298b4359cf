// The search of one process's memory.
#ifndef VEXORIN_PROCESS_MEMORY_H
#define VEXORIN_PROCESS_MEMORY_H

#include <stdint.h>

// Opens the process for reading and searches its low gigabyte for
// SignaturePattern, printing a progress dot per 64 MiB. Returns 1 when the
// signature was found, 0 otherwise. *bytesRead is how much of its memory was
// searched: 0 when it could not be opened ("cannot open process" is printed)
// or nothing of it could be read, so a 0 result then says nothing about it.
int ScanProcessMemory(uint32_t processId, uint32_t* bytesRead);

#endif
