// The one place where texts cross to the system. The program's texts are GBK bytes; the system's
// wide functions take UTF-16. The conversion is code page 936's in both directions whatever the
// system's own code page, so the program reads and writes the same on every Windows.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

using SystemText = std::u16string;

// The code page of the program's texts, whatever the system's own.
inline constexpr unsigned kGbkCodePage = 936;

// GBK bytes to UTF-16; the byte 0x80 is the euro sign, as in code page 936.
SystemText toSystemText(std::string_view gbk);

// The same into the caller's buffer, zero-terminated; returns the units written. A text never
// needs more units than it has bytes, so a buffer of its length plus one always holds it (a
// shorter one gets the empty text). Takes nothing from the heap, so that a failed allocation can
// still be reported.
std::size_t toSystemText(std::string_view gbk, char16_t* out, std::size_t capacity);

// UTF-16 to GBK bytes. A character that GBK cannot write becomes "?"; how many did is counted into
// *unwritable when given.
std::string fromSystemText(std::u16string_view text, std::size_t* unwritable = nullptr);

// The system's view of a text, for its wide functions (wchar_t is UTF-16 on Windows).
#ifdef _WIN32
inline const wchar_t* systemChars(const SystemText& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }
inline wchar_t* systemChars(SystemText& text) { return reinterpret_cast<wchar_t*>(&text[0]); }
#endif
