#include "target_name.h"

#include <string.h>

static const char kTargetImageName[] = "SQLSERVR.EXE";

static int FoldAsciiCase(unsigned char c)
{
    return (c >= 'a' && c <= 'z') ? c - ('a' - 'A') : c;
}

static int EqualIgnoringAsciiCase(const char* a, const char* b)
{
    for (;; ++a, ++b) {
        if (FoldAsciiCase(static_cast<unsigned char>(*a)) != FoldAsciiCase(static_cast<unsigned char>(*b)))
            return 0;
        if (*a == '\0')
            return 1;
    }
}

int IsDatabaseServerPath(const char* imagePath)
{
    const char* lastSlash = strrchr(imagePath, '\\');
    if (lastSlash == 0)
        return 0;
    return EqualIgnoringAsciiCase(lastSlash + 1, kTargetImageName);
}
