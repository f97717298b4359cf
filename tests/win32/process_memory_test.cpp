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
        uint32_t bytesRead = 0;
        int found = ScanProcessMemory(server.id, &bytesRead);
        StopStandInServer(&server);
        EXPECT_EQ(c.found, found);
        EXPECT_GT(bytesRead, 0u);
    }
}

TEST_F(ScanProcessMemoryTest, AProcessThatCannotBeOpenedReadsNothing)
{
    StandInServer server;
    ASSERT_TRUE(StartStandInServer("inside", ToolPath(), &server));
    const DWORD gone = server.id;
    StopStandInServer(&server);

    uint32_t bytesRead = 12345;
    EXPECT_EQ(0, ScanProcessMemory(gone, &bytesRead));
    EXPECT_EQ(0u, bytesRead);
}

}  // namespace
