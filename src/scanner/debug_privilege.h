// The debug privilege, which lets an administrator's run open database servers
// that run under a service account.
#ifndef VEXORIN_DEBUG_PRIVILEGE_H
#define VEXORIN_DEBUG_PRIVILEGE_H

#include <windows.h>

// Enables SeDebugPrivilege in this process's token when the token holds it.
// The token functions are looked up by name in ADVAPI32.DLL, loaded at run time
// and left loaded. Returns 1 when the privilege is now enabled, and 0 when it
// is not: the library or one of its functions is missing (the 95 family), the
// token does not hold the privilege, or a call failed. Prints nothing and
// changes nothing else in the token or the system.
int EnableDebugPrivilege();

// The same, with the functions looked up in advapi, which may be NULL.
int EnableDebugPrivilegeWith(HMODULE advapi);

#endif
