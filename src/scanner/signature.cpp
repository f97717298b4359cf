#include "signature.h"

#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

#include "match_stream.h"

int LoadSignature()
{
    HRSRC resource = FindResourceA(NULL, "#103", "BIN");
    if (resource == NULL) {
        printf("cannot read resource GetLastError=%ld\n", static_cast<long>(GetLastError()));
        return 0;
    }
    const unsigned char* stored = static_cast<const unsigned char*>(LockResource(LoadResource(NULL, resource)));
    if (stored == NULL) {
        printf("cannot read resource GetLastError=%ld\n", static_cast<long>(GetLastError()));
        return 0;
    }
    const DWORD count = SizeofResource(NULL, resource);
    // An empty pattern would match any memory at all.
    if (count == 0) {
        printf("signature resource is empty\n");
        return 0;
    }

    // The loaded resource is read-only on the NT family: decode into a copy.
    unsigned char* bytes = static_cast<unsigned char*>(malloc(count));
    uint32_t* fallback = count <= 0x3fffffff ? static_cast<uint32_t*>(malloc(count * sizeof(uint32_t))) : NULL;
    if (bytes == NULL || fallback == NULL) {
        printf("signature resource is too large to load\n");
        return 0;
    }
    for (DWORD k = 0; k < count; ++k)
        bytes[k] = static_cast<unsigned char>(~stored[k]);
    BuildFallbackTable(bytes, count, fallback);

    SignaturePattern.bytes = bytes;
    SignaturePattern.count = count;
    SignaturePattern.fallback = fallback;
    SignaturePattern.anchor = ChooseAnchor(bytes, count);
    return 1;
}
