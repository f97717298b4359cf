// EnableDebugPrivilege under Wine, whose tokens hold SeDebugPrivilege but leave
// it disabled, as an administrator's token does on Windows.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "child_process.h"
#include "debug_privilege.h"
#include "maker.h"

namespace {

LUID DebugLuid()
{
    LUID luid = {};
    EXPECT_TRUE(LookupPrivilegeValueA(NULL, "SeDebugPrivilege", &luid));
    return luid;
}

bool SameLuid(const LUID& a, const LUID& b)
{
    return a.LowPart == b.LowPart && a.HighPart == b.HighPart;
}

// Every privilege this process's token holds, with its attributes.
std::vector<LUID_AND_ATTRIBUTES> HeldPrivileges()
{
    std::vector<LUID_AND_ATTRIBUTES> held;
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return held;
    DWORD size = 0;
    GetTokenInformation(token, TokenPrivileges, NULL, 0, &size);
    std::vector<char> buffer(size);
    if (size > 0 && GetTokenInformation(token, TokenPrivileges, &buffer[0], size, &size)) {
        const TOKEN_PRIVILEGES* list = reinterpret_cast<const TOKEN_PRIVILEGES*>(&buffer[0]);
        held.assign(list->Privileges, list->Privileges + list->PrivilegeCount);
    }
    CloseHandle(token);
    return held;
}

// -1 when the token does not hold the privilege at all, else its attributes.
long DebugPrivilegeAttributes()
{
    const LUID debug = DebugLuid();
    for (const LUID_AND_ATTRIBUTES& privilege : HeldPrivileges())
        if (SameLuid(privilege.Luid, debug))
            return static_cast<long>(privilege.Attributes);
    return -1;
}

// What the system itself answers when asked whether the privilege is enabled.
bool DebugPrivilegeEnabled()
{
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    PRIVILEGE_SET asked;
    asked.PrivilegeCount = 1;
    asked.Control = PRIVILEGE_SET_ALL_NECESSARY;
    asked.Privilege[0].Luid = DebugLuid();
    asked.Privilege[0].Attributes = 0;
    BOOL enabled = FALSE;
    BOOL checked = PrivilegeCheck(token, &asked, &enabled);
    CloseHandle(token);
    return checked && enabled;
}

void SetDebugPrivilege(DWORD attributes)
{
    HANDLE token;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token));
    TOKEN_PRIVILEGES change;
    change.PrivilegeCount = 1;
    change.Privileges[0].Luid = DebugLuid();
    change.Privileges[0].Attributes = attributes;
    EXPECT_TRUE(AdjustTokenPrivileges(token, FALSE, &change, 0, NULL, NULL));
    EXPECT_EQ(DWORD(ERROR_SUCCESS), GetLastError());
    CloseHandle(token);
}

std::string Describe(const std::vector<LUID_AND_ATTRIBUTES>& privileges)
{
    std::string text;
    for (const LUID_AND_ATTRIBUTES& privilege : privileges) {
        char name[64] = "?";
        DWORD length = sizeof name;
        LookupPrivilegeNameA(NULL, const_cast<LUID*>(&privilege.Luid), name, &length);
        char line[96];
        snprintf(line, sizeof line, "%s=%lx ", name, static_cast<unsigned long>(privilege.Attributes));
        text += line;
    }
    return text;
}

// Each case starts from the privilege held and disabled, and leaves it so.
class DebugPrivilegeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetDebugPrivilege(0);
        ASSERT_EQ(0, DebugPrivilegeAttributes()) << "this token should hold the privilege, disabled";
        ASSERT_FALSE(DebugPrivilegeEnabled());
    }
    void TearDown() override { SetDebugPrivilege(0); }
};

TEST_F(DebugPrivilegeTest, EnablesItAndNothingElse)
{
    std::vector<LUID_AND_ATTRIBUTES> expected = HeldPrivileges();
    for (LUID_AND_ATTRIBUTES& privilege : expected)
        if (SameLuid(privilege.Luid, DebugLuid()))
            privilege.Attributes = SE_PRIVILEGE_ENABLED;

    EXPECT_EQ(1, EnableDebugPrivilege());
    EXPECT_TRUE(DebugPrivilegeEnabled());
    EXPECT_EQ(Describe(expected), Describe(HeldPrivileges()));
}

TEST_F(DebugPrivilegeTest, WithoutTheLibraryOrOneOfItsFunctionsChangesNothing)
{
    struct Case {
        const char* module;  // NULL: the library could not be loaded
        const char* missing;
    };
    const Case cases[] = {
        {NULL, "the whole library"},
        {"debug_privilege_test.exe", "all three: a module that has none of them"},
        {"token_functions_without_OpenProcessToken.dll", "OpenProcessToken"},
        {"token_functions_without_LookupPrivilegeValueA.dll", "LookupPrivilegeValueA"},
        {"token_functions_without_AdjustTokenPrivileges.dll", "AdjustTokenPrivileges"},
    };
    const char* const functions[] = {"OpenProcessToken", "LookupPrivilegeValueA", "AdjustTokenPrivileges"};
    const std::string before = Describe(HeldPrivileges());
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("missing ") + c.missing);
        HMODULE module = NULL;
        if (c.module) {
            module = LoadLibraryA((ProgramFolder() + c.module).c_str());
            ASSERT_TRUE(module != NULL) << c.module;
        }
        // A stand-in must lack exactly the one function it is named after.
        if (c.module && strstr(c.module, "_without_"))
            for (const char* function : functions)
                EXPECT_EQ(strstr(c.module, function) == NULL, GetProcAddress(module, function) != NULL) << function;
        EXPECT_EQ(0, EnableDebugPrivilegeWith(module));
        EXPECT_FALSE(DebugPrivilegeEnabled());
        EXPECT_EQ(before, Describe(HeldPrivileges()));
    }
}

// Runs a command under a token from which SeDebugPrivilege was deleted, with
// its standard output in outputFile (when given), and returns its exit status.
DWORD RunWithoutDebugPrivilege(std::string command, const std::string& outputFile)
{
    HANDLE token, restricted;
    EXPECT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &token));
    LUID_AND_ATTRIBUTES deleted = {DebugLuid(), 0};
    EXPECT_TRUE(CreateRestrictedToken(token, 0, 0, NULL, 1, &deleted, 0, NULL, &restricted));
    CloseHandle(token);

    SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
    HANDLE output = INVALID_HANDLE_VALUE;
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    if (!outputFile.empty()) {
        output = CreateFileA(outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, NULL);
        EXPECT_NE(INVALID_HANDLE_VALUE, output);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = output;
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    }
    PROCESS_INFORMATION process;
    DWORD status = 0xdead;
    if (CreateProcessAsUserA(restricted, NULL, &command[0], NULL, NULL, TRUE, 0, NULL, NULL, &startup, &process)) {
        if (WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0)
            GetExitCodeProcess(process.hProcess, &status);
        else
            TerminateProcess(process.hProcess, 0xdead);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    } else {
        ADD_FAILURE() << "CreateProcessAsUserA: " << GetLastError();
    }
    if (output != INVALID_HANDLE_VALUE)
        CloseHandle(output);
    CloseHandle(restricted);
    return status;
}

const char kChildArgument[] = "--token-without-debug-privilege";

// The child's side of the next test; returns its exit status.
int CheckTokenWithoutDebugPrivilege()
{
    if (DebugPrivilegeAttributes() != -1) {
        printf("child: the token still holds SeDebugPrivilege\n");
        return 10;
    }
    const std::string before = Describe(HeldPrivileges());
    if (EnableDebugPrivilege() != 0) {
        printf("child: EnableDebugPrivilege returned 1 without the privilege\n");
        return 11;
    }
    if (DebugPrivilegeEnabled() || Describe(HeldPrivileges()) != before) {
        printf("child: the token changed: %s\n", Describe(HeldPrivileges()).c_str());
        return 12;
    }
    return 0;
}

TEST(TokenWithoutDebugPrivilege, ReportsItAndChangesNothing)
{
    char self[MAX_PATH];
    GetModuleFileNameA(NULL, self, sizeof self);
    EXPECT_EQ(0u, RunWithoutDebugPrivilege(std::string("\"") + self + "\" " + kChildArgument, ""));
}

TEST(TokenWithoutDebugPrivilege, TheToolStillGivesItsVerdict)
{
    char name[MAX_COMPUTERNAME_LENGTH + 1] = "";
    DWORD size = sizeof name;
    GetComputerNameA(name, &size);
    const std::string outputFile = ProgramFolder() + "without_debug_privilege.out";
    const std::string tool = ProgramFolder() + "..\\..\\Vexorin.exe";
    EXPECT_EQ(0u, RunWithoutDebugPrivilege("\"" + tool + "\"", outputFile));

    std::string output;
    if (FILE* file = fopen(outputFile.c_str(), "rb")) {
        char chunk[512];
        size_t got;
        while ((got = fread(chunk, 1, sizeof chunk, file)) > 0)
            output.append(chunk, got);
        fclose(file);
    }
    DeleteFileA(outputFile.c_str());
    EXPECT_EQ(std::string("Vexorin v1.0 - W32/Slammer detection tool \r\n") + VEXORIN_COPYRIGHT + "\r\n\r\n" + name +
                  " was found to be clean\r\n",
              output);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && strcmp(argv[1], kChildArgument) == 0)
        return CheckTokenWithoutDebugPrivilege();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
