// Which image paths belong to a database server process. Portable.
#ifndef VEXORIN_TARGET_NAME_H
#define VEXORIN_TARGET_NAME_H

// 1 when imagePath has a directory part (a backslash) and its file name, after
// the last backslash, is SQLSERVR.EXE in any mix of ASCII letter case; else 0.
// Only A-Z and a-z are folded, whatever the locale, so no other byte can make
// an unrelated name compare equal.
int IsDatabaseServerPath(const char* imagePath);

#endif
