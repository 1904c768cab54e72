// The one place where texts cross to the system. The program's texts are GBK bytes; the system's
// wide functions take UTF-16. The conversion is code page 936's in both directions whatever the
// system's own code page, so the program reads and writes the same on every Windows.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

using SystemText = std::u16string;

// GBK bytes to UTF-16; the byte 0x80 is the euro sign, as in code page 936.
SystemText toSystemText(std::string_view gbk);

// UTF-16 to GBK bytes. A character that GBK cannot write becomes "?"; how many did is counted into
// *unwritable when given.
std::string fromSystemText(std::u16string_view text, std::size_t* unwritable = nullptr);
