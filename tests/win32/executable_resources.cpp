// Reads an executable's resources through the Windows API, for
// executable_test.sh.
//
//   executable_resources version <exe>    prints every field of its version
//                                         block, one per line
//   executable_resources signature <exe>  writes its "BIN" #103 resource to
//                                         standard output, each byte inverted
//                                         as the tool decodes it
//
// The decoded signature goes only down a pipe, never into a file.
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <string.h>

#include <vector>

static int PrintVersion(const char* path)
{
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    if (size == 0) {
        printf("no version block (GetLastError=%lu)\n", GetLastError());
        return 1;
    }
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(path, 0, size, &block[0])) {
        printf("GetFileVersionInfoA failed (GetLastError=%lu)\n", GetLastError());
        return 1;
    }

    VS_FIXEDFILEINFO* fixed = NULL;
    UINT length = 0;
    if (VerQueryValueA(&block[0], "\\", reinterpret_cast<void**>(&fixed), &length) && length >= sizeof *fixed) {
        printf("FILEVERSION %lu.%lu.%lu.%lu\n", fixed->dwFileVersionMS >> 16, fixed->dwFileVersionMS & 0xffff,
               fixed->dwFileVersionLS >> 16, fixed->dwFileVersionLS & 0xffff);
        printf("PRODUCTVERSION %lu.%lu.%lu.%lu\n", fixed->dwProductVersionMS >> 16,
               fixed->dwProductVersionMS & 0xffff, fixed->dwProductVersionLS >> 16,
               fixed->dwProductVersionLS & 0xffff);
        printf("FILEFLAGSMASK 0x%lx\n", fixed->dwFileFlagsMask);
        printf("FILEFLAGS 0x%lx\n", fixed->dwFileFlags);
        printf("FILEOS 0x%lx\n", fixed->dwFileOS);
        printf("FILETYPE 0x%lx\n", fixed->dwFileType);
        printf("FILESUBTYPE 0x%lx\n", fixed->dwFileSubtype);
    } else {
        printf("no fixed part\n");
    }

    WORD* translations = NULL;
    if (!VerQueryValueA(&block[0], "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &length) ||
        length < 4) {
        printf("no Translation\n");
        return 0;
    }
    for (UINT k = 0; k + 1 < length / 2; k += 2)
        printf("Translation 0x%04x, 0x%04x\n", translations[k], translations[k + 1]);

    // The strings of the table each translation names; every name that
    // Windows's Properties dialog shows is listed, present or not.
    const char* const names[] = {"Comments", "CompanyName", "FileDescription", "FileVersion",
                                 "InternalName", "LegalCopyright", "LegalTrademarks", "OriginalFilename",
                                 "PrivateBuild", "ProductName", "ProductVersion", "SpecialBuild"};
    for (UINT k = 0; k + 1 < length / 2; k += 2) {
        for (const char* name : names) {
            char query[96];
            snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\%s", translations[k], translations[k + 1],
                     name);
            char* value = NULL;
            UINT valueLength = 0;
            if (VerQueryValueA(&block[0], query, reinterpret_cast<void**>(&value), &valueLength))
                printf("%04x%04x %s = \"%s\"\n", translations[k], translations[k + 1], name,
                       valueLength > 0 && value ? value : "");
            else
                printf("%04x%04x %s is missing\n", translations[k], translations[k + 1], name);
        }
    }
    return 0;
}

static int WriteDecodedSignature(const char* path)
{
    HMODULE module = LoadLibraryExA(path, NULL, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC resource = module ? FindResourceA(module, "#103", "BIN") : NULL;
    const unsigned char* stored =
        resource ? static_cast<const unsigned char*>(LockResource(LoadResource(module, resource))) : NULL;
    if (stored == NULL) {
        fprintf(stderr, "no \"BIN\" #103 resource (GetLastError=%lu)\n", GetLastError());
        return 1;
    }
    const DWORD count = SizeofResource(module, resource);
    _setmode(_fileno(stdout), _O_BINARY);
    for (DWORD k = 0; k < count; ++k)
        putchar(static_cast<unsigned char>(~stored[k]));
    return fflush(stdout) == 0 ? 0 : 1;
}

int main(int argc, char** argv)
{
    if (argc == 3 && strcmp(argv[1], "version") == 0)
        return PrintVersion(argv[2]);
    if (argc == 3 && strcmp(argv[1], "signature") == 0)
        return WriteDecodedSignature(argv[2]);
    printf("usage: executable_resources version|signature <exe>\n");
    return 2;
}
