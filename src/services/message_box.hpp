// A box for the user, shown by the system's wide function so that it reads right whatever the
// system's code page. Its texts are given as the program holds them (GBK); a text that names what
// the system reported (a path, the system's reason) is given as the system text it was composed as.
#pragma once

#include <windows.h>

#include <string_view>

#include "services/system_text.hpp"

int showMessageBox(HWND owner, std::string_view text, std::string_view caption, UINT type);
int showMessageBox(HWND owner, const SystemText& text, std::string_view caption, UINT type);
