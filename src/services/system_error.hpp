// The system's own wording for an error code, for the boxes that tell the user why.
#pragma once

#include <cstdint>

#include "services/system_text.hpp"

// The system's text for the code, FormatMessageW's in the system's language, without its trailing
// line break; "系统错误 N" when the system has no text for the code. A system text: whatever GBK
// cannot write stays as the system wrote it.
SystemText systemErrorText(std::uint32_t errorCode);
