// Runs a program the way a Windows parent can leave it without a usable
// standard output, and prints its exit status for each way, or "hung".
//
//   unwritable_output <program>
//
// pipe-without-reader: an anonymous pipe whose read end is closed first.
// no-output-handle:    no standard output handle at all.
#include <windows.h>
#include <stdio.h>

static void Run(const char* kind, const char* program, HANDLE output)
{
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = NULL;
    startup.hStdOutput = output;
    startup.hStdError = NULL;
    char command[MAX_PATH + 2];
    snprintf(command, sizeof command, "\"%s\"", program);
    PROCESS_INFORMATION process;
    if (!CreateProcessA(NULL, command, NULL, NULL, TRUE, 0, NULL, NULL, &startup, &process)) {
        printf("%s cannot start: %lu\n", kind, GetLastError());
        return;
    }
    if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) {
        DWORD status = 0;
        GetExitCodeProcess(process.hProcess, &status);
        printf("%s %lu\n", kind, status);
    } else {
        TerminateProcess(process.hProcess, 0);
        printf("%s hung\n", kind);
    }
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        printf("usage: unwritable_output <program>\n");
        return 2;
    }
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
    HANDLE readEnd, writeEnd;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        printf("CreatePipe: %lu\n", GetLastError());
        return 2;
    }
    CloseHandle(readEnd);
    Run("pipe-without-reader", argv[1], writeEnd);
    CloseHandle(writeEnd);

    Run("no-output-handle", argv[1], NULL);
    return 0;
}
