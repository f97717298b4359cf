// The two enumerators against real processes under Wine: each reports this
// program and a child it started, by ID, exactly once.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "child_process.h"
#include "process_enumerator.h"
#include "psapi_enumerator.h"
#include "toolhelp_enumerator.h"

namespace {

struct Visit {
    std::string path;
    uint32_t id;
};

void Record(const char* imagePath, uint32_t processId, uintptr_t context)
{
    reinterpret_cast<std::vector<Visit>*>(context)->push_back(Visit{imagePath, processId});
}

std::vector<Visit> VisitsOf(const std::vector<Visit>& visits, uint32_t id)
{
    std::vector<Visit> found;
    for (const Visit& visit : visits)
        if (visit.id == id)
            found.push_back(visit);
    return found;
}

std::string BaseName(const std::string& path)
{
    return path.substr(path.rfind('\\') == std::string::npos ? 0 : path.rfind('\\') + 1);
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string OwnPath()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, sizeof path);
    return std::string(path, length);
}

template <typename Enumerator>
class EnumeratorTest : public ::testing::Test {};

using Enumerators = ::testing::Types<PsapiProcessEnumerator, ToolhelpProcessEnumerator>;
TYPED_TEST_SUITE(EnumeratorTest, Enumerators);

TYPED_TEST(EnumeratorTest, ReportsItselfAndAChildExactlyOnce)
{
    StandInServer child;
    ASSERT_TRUE(StartStandInServer("clean", "-", &child));

    TypeParam enumerator;
    ASSERT_EQ(1, enumerator.ok);
    std::vector<Visit> visits;
    int result = enumerator.EnumerateProcesses(Record, reinterpret_cast<uintptr_t>(&visits));
    StopStandInServer(&child);

    EXPECT_EQ(1, result);
    std::vector<Visit> self = VisitsOf(visits, GetCurrentProcessId());
    std::vector<Visit> other = VisitsOf(visits, child.id);
    ASSERT_EQ(1u, self.size());
    ASSERT_EQ(1u, other.size());
    // The snapshot may hold the base name only (it does under Wine), the
    // process-status library the full path.
    EXPECT_EQ(Lower(BaseName(OwnPath())), Lower(BaseName(self[0].path)));
    EXPECT_EQ("stand_in_server.exe", Lower(BaseName(other[0].path)));
}

TEST(PsapiProcessEnumerator, NamesProcessesByTheirFullPath)
{
    PsapiProcessEnumerator enumerator;
    std::vector<Visit> visits;
    ASSERT_EQ(1, enumerator.EnumerateProcesses(Record, reinterpret_cast<uintptr_t>(&visits)));
    std::vector<Visit> self = VisitsOf(visits, GetCurrentProcessId());
    ASSERT_EQ(1u, self.size());
    EXPECT_EQ(Lower(OwnPath()), Lower(self[0].path));
}

// The run script sets the family this program is meant to see.
TEST(IsWindowsNT, TellsTheFamilyThisProgramSees)
{
    const char* expected = getenv("VEXORIN_EXPECT_FAMILY");
    ASSERT_TRUE(expected != NULL) << "run through run_enumerator_tests.sh";
    EXPECT_EQ(strcmp(expected, "nt") == 0 ? 1 : 0, IsWindowsNT());
}

TEST(EnumerateAllProcesses, RunsTheEnumeratorOfTheFamilyItIsGiven)
{
    for (int isNT = 0; isNT <= 1; ++isNT) {
        SCOPED_TRACE(isNT ? "NT family" : "95 family");
        std::vector<Visit> visits;
        EXPECT_EQ(1, EnumerateAllProcesses(isNT, Record, reinterpret_cast<uintptr_t>(&visits)));
        EXPECT_EQ(1u, VisitsOf(visits, GetCurrentProcessId()).size());
    }
}

// Run only with PSAPI.DLL made unavailable.
TEST(MissingLibrary, ProcessStatusEnumeratorReturnsZeroWithoutVisiting)
{
    ASSERT_TRUE(LoadLibraryA("PSAPI.DLL") == NULL) << "PSAPI.DLL must be unavailable for this test";
    PsapiProcessEnumerator enumerator;
    EXPECT_EQ(0, enumerator.ok);
    std::vector<Visit> visits;
    EXPECT_EQ(0, enumerator.EnumerateProcesses(Record, reinterpret_cast<uintptr_t>(&visits)));
    EXPECT_EQ(0, EnumerateAllProcesses(1, Record, reinterpret_cast<uintptr_t>(&visits)));
    EXPECT_TRUE(visits.empty());
}

}  // namespace

namespace {

// The process-status enumerator with some of its library entry points replaced,
// to reach what Wine never does: very long process lists, paths cut short
// without a terminator, and a failing process list.
class FakedPsapiEnumerator : public PsapiProcessEnumerator {
public:
    static std::vector<DWORD> ids;
    static int listFails;

    static DWORD refused;  // the process that may not be opened

    FakedPsapiEnumerator() { enumProcesses = FakeEnumProcesses; }
    void CutPathsShort() { getModuleFileNameEx = FillWholeBuffer; }
    void RefuseToOpen(DWORD id)
    {
        refused = id;
        openProcess = RefusingOpenProcess;
    }
    void ModulesUnreadable() { enumProcessModules = FailToListModules; }
    void WithoutSnapshot() { createSnapshot = 0; }
    HMODULE Psapi() const { return psapi; }

private:
    static BOOL WINAPI FakeEnumProcesses(DWORD* out, DWORD size, DWORD* bytes)
    {
        if (listFails)
            return FALSE;
        DWORD count = std::min<DWORD>(size / sizeof(DWORD), ids.size());
        std::copy(ids.begin(), ids.begin() + count, out);
        *bytes = count * sizeof(DWORD);
        return TRUE;
    }

    // What Windows does to a user who opens a service's process without the
    // debug privilege.
    static HANDLE WINAPI RefusingOpenProcess(DWORD access, BOOL inherit, DWORD id)
    {
        if (id == refused) {
            SetLastError(ERROR_ACCESS_DENIED);
            return NULL;
        }
        return OpenProcess(access, inherit, id);
    }

    static BOOL WINAPI FailToListModules(HANDLE, HMODULE*, DWORD, DWORD*)
    {
        SetLastError(ERROR_PARTIAL_COPY);
        return FALSE;
    }

    // What older Windows does with a path longer than the buffer: fills all of
    // it and writes no terminator.
    static DWORD WINAPI FillWholeBuffer(HANDLE, HMODULE, char* path, DWORD size)
    {
        memset(path, 'x', size);
        path[0] = 'C';
        path[1] = ':';
        path[2] = '\\';
        return size;
    }
};

std::vector<DWORD> FakedPsapiEnumerator::ids;
int FakedPsapiEnumerator::listFails;
DWORD FakedPsapiEnumerator::refused;

// IDs that no process has (Windows process IDs are multiples of 4).
std::vector<DWORD> UnusedIds(size_t count)
{
    std::vector<DWORD> unused;
    for (DWORD id = 0x7fff0001; unused.size() < count; id += 4)
        unused.push_back(id);
    return unused;
}

TEST(PsapiProcessEnumerator, VisitsProcessesFarBeyondTheFirst1024Ids)
{
    FakedPsapiEnumerator::listFails = 0;
    FakedPsapiEnumerator::ids = UnusedIds(5000);
    FakedPsapiEnumerator::ids[4321] = GetCurrentProcessId();
    FakedPsapiEnumerator enumerator;
    ASSERT_EQ(1, enumerator.ok);
    std::vector<Visit> visits;
    EXPECT_EQ(1, enumerator.EnumerateProcesses(Record, reinterpret_cast<uintptr_t>(&visits)));
    ASSERT_EQ(1u, visits.size());
    EXPECT_EQ(GetCurrentProcessId(), visits[0].id);
}

// Every entry is visited, however long the list: this program's ID is put at
// the edges of each size the ID array grows through, among IDs no process has.
TEST(PsapiProcessEnumerator, VisitsEveryListedProcessWhateverTheLengthOfTheList)
{
    const size_t lengths[] = {1023, 1024, 1025, 2048, 2049, 5000};
    const size_t edges[] = {0, 1022, 1023, 1024, 2047, 2048, 4095, 4096, 4999};
    for (size_t length : lengths) {
        SCOPED_TRACE(std::to_string(length) + " IDs");
        FakedPsapiEnumerator::listFails = 0;
        FakedPsapiEnumerator::ids = UnusedIds(length);
        size_t placed = 0;
        for (size_t at : edges) {
            if (at < length) {
                FakedPsapiEnumerator::ids[at] = GetCurrentProcessId();
                ++placed;
            }
        }
        FakedPsapiEnumerator enumerator;
        std::vector<Visit> visits;
        EXPECT_EQ(1, enumerator.EnumerateProcesses(Record, reinterpret_cast<uintptr_t>(&visits)));
        EXPECT_EQ(placed, visits.size());
        EXPECT_EQ(placed, VisitsOf(visits, GetCurrentProcessId()).size());
    }
}

// Without a snapshot to name it by, the cut path is all there is.
TEST(PsapiProcessEnumerator, APathCutShortIsStillTerminated)
{
    FakedPsapiEnumerator::listFails = 0;
    FakedPsapiEnumerator::ids = std::vector<DWORD>(1, GetCurrentProcessId());
    FakedPsapiEnumerator enumerator;
    enumerator.CutPathsShort();
    enumerator.WithoutSnapshot();
    std::vector<Visit> visits;
    EXPECT_EQ(1, enumerator.EnumerateProcesses(Record, reinterpret_cast<uintptr_t>(&visits)));
    ASSERT_EQ(1u, visits.size());
    EXPECT_EQ(size_t(MAX_PATH), visits[0].path.size());
}

// A database server running as a service may refuse the user: skipped, it
// would never be scanned and the run would end "clean". It is named from the
// process snapshot instead, so the scan tries it and reports what it could not
// do. So is one whose path was cut, losing the image name at its end.
TEST(PsapiProcessEnumerator, AProcessThatCannotBeNamedIsNamedFromTheSnapshot)
{
    const DWORD self = GetCurrentProcessId();
    const std::string ownName = Lower("\\" + BaseName(OwnPath()));
    const struct {
        const char* why;
        DWORD refused;
        bool modulesUnreadable;
        bool pathCut;
        bool snapshot;
        std::vector<std::string> paths;  // what our own process is shown as
    } rows[] = {
        {"cannot be opened", self, false, false, true, {ownName}},
        {"its modules cannot be read", 0, true, false, true, {ownName}},
        {"its path fills the buffer", 0, false, true, true, {ownName}},
        {"cannot be opened, and the system has no snapshot", self, false, false, false, {}},
        {"named as usual", 0, false, false, true, {Lower(OwnPath())}},
    };
    for (size_t r = 0; r < sizeof rows / sizeof rows[0]; ++r) {
        SCOPED_TRACE(rows[r].why);
        FakedPsapiEnumerator::listFails = 0;
        FakedPsapiEnumerator::ids = UnusedIds(3);
        FakedPsapiEnumerator::ids[1] = self;
        FakedPsapiEnumerator enumerator;
        enumerator.RefuseToOpen(rows[r].refused);
        if (rows[r].modulesUnreadable)
            enumerator.ModulesUnreadable();
        if (rows[r].pathCut)
            enumerator.CutPathsShort();
        if (!rows[r].snapshot)
            enumerator.WithoutSnapshot();
        std::vector<Visit> visits;
        EXPECT_EQ(1, enumerator.EnumerateProcesses(Record, reinterpret_cast<uintptr_t>(&visits)));
        std::vector<std::string> paths;
        for (size_t v = 0; v < visits.size(); ++v) {
            EXPECT_EQ(self, visits[v].id) << "IDs no process has were shown";
            paths.push_back(Lower(visits[v].path));
        }
        EXPECT_EQ(rows[r].paths, paths);
    }
}

TEST(PsapiProcessEnumerator, ReleasesItsLibrariesWhenTheListCannotBeRead)
{
    ASSERT_TRUE(GetModuleHandleA("VDMDBG.DLL") == NULL) << "nothing else in this program loads it";
    FakedPsapiEnumerator::listFails = 1;
    FakedPsapiEnumerator enumerator;
    ASSERT_TRUE(GetModuleHandleA("VDMDBG.DLL") != NULL);
    std::vector<Visit> visits;
    EXPECT_EQ(0, enumerator.EnumerateProcesses(Record, reinterpret_cast<uintptr_t>(&visits)));
    EXPECT_TRUE(visits.empty());
    EXPECT_TRUE(GetModuleHandleA("VDMDBG.DLL") == NULL);
    EXPECT_TRUE(enumerator.Psapi() == NULL);
}

}  // namespace
