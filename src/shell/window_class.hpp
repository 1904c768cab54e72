// Window classes: one registration for every window procedure of the program.
#pragma once

#include <windows.h>

// Registers a window class with the arrow cursor unless it exists already; false when the
// system refuses. The windows of the program are Unicode windows: their texts reach the system
// as UTF-16, so they read right whatever the system's code page.
bool registerWindowClass(HINSTANCE instance, const char* name, WNDPROC procedure, UINT style = 0,
                         HBRUSH background = nullptr);

// Registers the label and timer classes once per process; false when the system refuses.
bool registerControlClasses(HINSTANCE instance);
