// A box for the user, its texts given as the program holds them (GBK), shown by the system's
// wide function so that they read right whatever the system's code page.
#pragma once

#include <windows.h>

#include <string_view>

int showMessageBox(HWND owner, std::string_view text, std::string_view caption, UINT type);
