// ScanProcessMemory against real stand-in servers under Wine. This program
// carries the signature resource, as the tool does.
#include <gtest/gtest.h>

#include <string>

#include "child_process.h"
#include "process_memory.h"
#include "signature.h"

namespace {

std::string ToolPath()
{
    return ProgramFolder() + "..\\..\\Vexorin.exe";
}

class ScanProcessMemoryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(1, LoadSignature()); }
};

TEST_F(ScanProcessMemoryTest, FindsTheSignatureWhereverItLiesAndNothingElse)
{
    struct Case {
        const char* layout;
        int found;
        const char* why;
    };
    const Case cases[] = {
        {"inside", 1, "whole inside one page"},
        {"straddle", 1, "across two committed pages"},
        {"truncated", 1, "a cut-short copy right before a whole one"},
        {"gap", 0, "halves split by an uncommitted page"},
        {"clean", 0, "no signature at all"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.layout) + ": " + c.why);
        StandInServer server;
        ASSERT_TRUE(StartStandInServer(c.layout, ToolPath(), &server));
        int complete = 0;
        int found = ScanProcessMemory(server.id, &complete);
        StopStandInServer(&server);
        EXPECT_EQ(c.found, found);
        EXPECT_EQ(1, complete);
    }
}

// Wine may still open a process for a moment after its last handle closed; it
// then finds it ended. Either way nothing of it was searched.
TEST_F(ScanProcessMemoryTest, AProcessThatIsGoneIsNotVouchedFor)
{
    StandInServer server;
    ASSERT_TRUE(StartStandInServer("inside", ToolPath(), &server));
    const DWORD gone = server.id;
    StopStandInServer(&server);

    int complete = 1;
    EXPECT_EQ(0, ScanProcessMemory(gone, &complete));
    EXPECT_EQ(0, complete);
}

// Before it could tell, the walk took a failed query of an ended process for a
// lost layout and tried all 262,144 pages: 10 to 13 s under Wine here, against
// well under a second now.
const DWORD kQuickWalkMs = 4000;

TEST_F(ScanProcessMemoryTest, AProcessThatEndedBeforeItsWalkIsNotTriedPageByPage)
{
    StandInServer server;
    ASSERT_TRUE(StartStandInServer("inside", ToolPath(), &server));
    // Still held, as the process list holds it while the process is examined,
    // so the ended process can be opened.
    TerminateProcess(server.process.hProcess, 0);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(server.process.hProcess, 10000));

    int complete = 1;
    const DWORD start = GetTickCount();
    EXPECT_EQ(0, ScanProcessMemory(server.id, &complete));
    const DWORD elapsed = GetTickCount() - start;
    StopStandInServer(&server);
    EXPECT_EQ(0, complete);
    EXPECT_LT(elapsed, kQuickWalkMs);
}

TEST_F(ScanProcessMemoryTest, AProcessThatEndsDuringItsWalkIsNotVouchedFor)
{
    StandInServer server;
    ASSERT_TRUE(StartStandInServer("clean", ToolPath(), &server, "exit-when-scanned"));
    // The stand-in ends once the scanner's handle is open beside this one,
    // which stands for the process list's.
    HANDLE listed = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, server.id);
    ASSERT_TRUE(listed != NULL);

    int complete = 1;
    const DWORD start = GetTickCount();
    EXPECT_EQ(0, ScanProcessMemory(server.id, &complete));
    const DWORD elapsed = GetTickCount() - start;
    CloseHandle(listed);
    DWORD exitCode = 0;
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(server.process.hProcess, 10000));
    EXPECT_TRUE(GetExitCodeProcess(server.process.hProcess, &exitCode));
    StopStandInServer(&server);
    EXPECT_EQ(42u, exitCode) << "the stand-in did not end because it was scanned";
    EXPECT_EQ(0, complete);
    EXPECT_LT(elapsed, kQuickWalkMs);
}

}  // namespace
