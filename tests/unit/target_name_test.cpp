#include "target_name.h"

#include <string>

#include <gtest/gtest.h>

namespace {

struct PathCase {
    const char* path;
    int expected;
    const char* why;
};

const PathCase kPaths[] = {
    {"C:\\MSSQL\\Binn\\sqlservr.exe", 1, "the usual install path"},
    {"C:\\MSSQL\\Binn\\SQLSERVR.EXE", 1, "upper case"},
    {"D:\\Data\\SqlServr.Exe", 1, "mixed case"},
    {"\\SQLSERVR.EXE", 1, "directly under the root"},
    {"\\\\server\\share\\sqlservr.exe", 1, "a UNC path"},
    {"C:\\sqlservr.exe\\sqlservr.exe", 1, "the directory's name does not matter"},

    {"sqlservr.exe", 0, "no directory part"},
    {"", 0, "empty"},
    {"C:\\x\\", 0, "last component empty"},
    {"C:\\x\\sqlservr.exe\\", 0, "trailing backslash: the file name is empty"},
    {"C:/x/sqlservr.exe", 0, "forward slashes are not separators"},
    {"C:\\x/sqlservr.exe", 0, "the name after the last backslash is x/sqlservr.exe"},
    {"C:\\sqlservr.exe\\other.exe", 0, "only the last component counts"},
    {"C:\\x\\SQLSERVR.EXE.OLD", 0, "longer name that starts with the target"},
    {"C:\\x\\SQLSERVR.EX", 0, "the target cut short"},
    {"C:\\x\\MYSQLSERVR.EXE", 0, "longer name that ends with the target"},
    {"C:\\x\\sqlservr.exe ", 0, "trailing space"},
    {"C:\\x\\SQLSERVR_EXE", 0, "a different byte in place of the dot"},

    // Bytes that a fold by bit masking, or by a locale's tables, would turn
    // into one of the name's characters.
    {"C:\\x\\\xD3QLSERVR.EXE", 0, "0xD3 (O acute in Latin-1) & 0x5F is 'S'"},
    {"C:\\x\\\xF3QLSERVR.EXE", 0, "0xF3 (o acute in Latin-1) & 0x5F is 'S'"},
    {"C:\\x\\SQLSERVR.EX\xC5", 0, "0xC5 & 0x5F is 'E'"},
    {"C:\\x\\SQLSERVR.EX\xE5", 0, "0xE5 & 0x5F is 'E'"},
    {"C:\\x\\SQLSERVR.EX\xC9", 0, "0xC9 (E acute in Latin-1) is no E"},
    {"C:\\x\\SQLSERVR.EX\xE9", 0, "0xE9 (e acute in Latin-1) is no E"},
    {"C:\\x\\SQLSERVR\x0E" "EXE", 0, "0x0E differs from '.' by 0x20 as letter case does"},
};

TEST(IsDatabaseServerPath, Table)
{
    for (size_t i = 0; i < sizeof kPaths / sizeof kPaths[0]; ++i) {
        const PathCase& row = kPaths[i];
        SCOPED_TRACE(std::string("\"") + row.path + "\": " + row.why);
        EXPECT_EQ(row.expected, IsDatabaseServerPath(row.path));
    }
}

}  // namespace
