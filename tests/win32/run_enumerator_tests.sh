#!/usr/bin/env bash
# The enumerator tests three ways: as Windows NT sees them, as Windows 98 sees
# them (a copy of the program named in Wine's per-program version setting),
# and with PSAPI.DLL made unavailable.
#   run_enumerator_tests.sh <folder holding enumerator_test.exe>
set -u
folder=$1
status=0
VEXORIN_EXPECT_FAMILY=nt wine "$folder/enumerator_test.exe" --gtest_filter='-MissingLibrary.*' || status=1

cp "$folder/enumerator_test.exe" "$folder/enumerator_test_win98.exe"
wine reg add 'HKCU\Software\Wine\AppDefaults\enumerator_test_win98.exe' /v Version /d win98 /f >/dev/null 2>&1
VEXORIN_EXPECT_FAMILY=95 wine "$folder/enumerator_test_win98.exe" \
    --gtest_filter='EnumeratorTest/1.*:IsWindowsNT.*' || status=1

WINEDLLOVERRIDES="$WINEDLLOVERRIDES;psapi=d" VEXORIN_EXPECT_FAMILY=nt \
    wine "$folder/enumerator_test.exe" --gtest_filter='MissingLibrary.*' || status=1
exit $status
