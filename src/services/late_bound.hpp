// Five kernel32 functions that the program binds by name at their first call and calls through
// the cached address from then on.
#pragma once

#include <windows.h>

namespace lateBound {

DWORD getShortPathName(LPCWSTR longPath, LPWSTR buffer, DWORD bufferSize);
HANDLE openProcess(DWORD desiredAccess, BOOL inheritHandle, DWORD processId);
BOOL terminateProcess(HANDLE process, UINT exitCode);
BOOL closeHandle(HANDLE handle);
DWORD getCurrentProcessId();

// How many bindings have been made since the start; a function bound once is never bound again.
int bindingCount();

// The address of a function of a system library that this process has already loaded, never of
// a file of that name elsewhere; nullptr when the library or the function is not there (one
// younger than the system, say).
FARPROC findSystemFunction(const char* library, const char* function);
// The same for a function the program cannot do without: when it cannot be had, the fatal box
// names library and function.
FARPROC bindSystemFunction(const char* library, const char* function);

}  // namespace lateBound
