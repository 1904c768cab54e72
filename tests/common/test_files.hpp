// What both Windows test programs (and the bench runner) need alike: whole files read and written
// in one go, and a process's top-level window found by its class.
#pragma once

#include <windows.h>

#include <string>

// The whole file; empty when it is missing or cannot be read.
std::string readFileBytes(const std::string& path);
// Creates or truncates the file; true when every byte was written.
bool writeFileBytes(const std::string& path, const std::string& bytes);

// The first top-level window of the process with this class; none when there is none (yet).
HWND findWindow(DWORD pid, const char* className, bool visibleOnly = false);
