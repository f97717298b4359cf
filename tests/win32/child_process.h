// Starts a stand-in server for a test and waits for its "ready" line.
#ifndef VEXORIN_TESTS_CHILD_PROCESS_H
#define VEXORIN_TESTS_CHILD_PROCESS_H

#include <windows.h>

#include <string>

// The folder that holds the running test program, with a trailing backslash.
std::string ProgramFolder();

struct StandInServer {
    PROCESS_INFORMATION process;
    DWORD id;
    unsigned long signatureAddress;
};

// Runs stand_in_server.exe (next to this program) with the layout and the
// behaviour, reading the signature from the tool at toolPath. Returns 0 if it
// did not become ready.
int StartStandInServer(const std::string& layout, const std::string& toolPath, StandInServer* server,
                       const std::string& behaviour = "wait");
void StopStandInServer(StandInServer* server);

#endif
