// The system's own wording for an error code, for the boxes that tell the user why.
#pragma once

#include <cstdint>
#include <string>

// FormatMessageA's text in the ANSI code page, without its trailing line break; "系统错误 N"
// when the system has no text for the code.
std::string systemErrorText(std::uint32_t errorCode);
