// The system's own wording for an error code, for the boxes that tell the user why.
#pragma once

#include <cstdint>
#include <string>

// The system's text for the code (FormatMessageW's, in GBK with "?" for what GBK cannot write),
// without its trailing line break; "系统错误 N" when the system has no text for the code.
std::string systemErrorText(std::uint32_t errorCode);
