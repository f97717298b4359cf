#include "child_process.h"

#include <stdio.h>
#include <string.h>

std::string ProgramFolder()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, sizeof path);
    std::string folder(path, length);
    return folder.substr(0, folder.rfind('\\') + 1);
}

int StartStandInServer(const std::string& layout, const std::string& toolPath, StandInServer* server,
                       const std::string& behaviour)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
    HANDLE readEnd, writeEnd;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return 0;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    std::string command =
        "\"" + ProgramFolder() + "stand_in_server.exe\" " + layout + " \"" + toolPath + "\" 120 " + behaviour;
    int started = CreateProcessA(NULL, &command[0], NULL, NULL, TRUE, 0, NULL, NULL, &startup, &server->process);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return 0;
    }
    char line[128] = "";
    DWORD used = 0, got = 0;
    while (used < sizeof line - 1 && !strchr(line, '\n') &&
           ReadFile(readEnd, line + used, sizeof line - 1 - used, &got, NULL) && got > 0) {
        used += got;
        line[used] = '\0';
    }
    CloseHandle(readEnd);
    unsigned long id = 0;
    if (sscanf(line, "ready %lu %lu", &id, &server->signatureAddress) != 2) {
        StopStandInServer(server);
        return 0;
    }
    server->id = id;
    return 1;
}

void StopStandInServer(StandInServer* server)
{
    TerminateProcess(server->process.hProcess, 0);
    WaitForSingleObject(server->process.hProcess, 10000);
    CloseHandle(server->process.hProcess);
    CloseHandle(server->process.hThread);
}
