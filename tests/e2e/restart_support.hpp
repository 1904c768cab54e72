// Finding the instance that a reset started, and ending it.
#pragma once

#include <windows.h>

#include <string>

// The directory of a process's executable; empty when it cannot be read.
std::string imageDirectory(DWORD pid);
std::string imagePath(DWORD pid);
// The visible main window of another process than oldPid whose executable lies in directory;
// its process id, or 0 when none came within the time.
DWORD findRestartedInstance(DWORD oldPid, const std::string& directory, DWORD timeoutMs = 20000);
// Closes both windows of the instance and waits for it to end; its exit code.
DWORD closeInstance(DWORD pid);
