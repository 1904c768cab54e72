// Text and number services. A text is a std::string of bytes in the ANSI code page (GBK for the
// Chinese texts); an empty string is the empty text. Lengths and positions count bytes. Walking a
// text by characters takes a lead byte (isLeadByte) together with the byte after it.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using Bytes = std::vector<unsigned char>;

// Code page 936's rule: 0x81 to 0xFE lead a double-byte character, whose trail byte may have any
// value (0x5C, the backslash's, among them). Every other byte is a character of its own: ASCII,
// 0x80 (the euro sign) and 0xFF.
constexpr bool isLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

// "%d" for integers; "%.13g" with a three-digit exponent for reals ("1e+013"); a text is copied.
std::string toText(std::int32_t value);
std::string toText(std::int64_t value);
std::string toText(double value);
std::string toText(std::string_view value);

// Leading white space, one optional sign, then digits, accumulated with 32-bit wrap-around.
// Full-width digits, signs and blanks are read as their ASCII forms. No digits give 0.
std::int32_t toInt(std::string_view text);

// Integral part of dividend / divisor, truncated toward zero; a zero divisor is fatal.
double integerDivide(double dividend, double divisor);
// Remainder with the sign of the dividend; a zero divisor is fatal.
double modulo(double dividend, double divisor);
// Toward zero, whatever the processor's rounding mode.
std::int64_t truncateToInt64(double value);

// -1, 0 or 1, comparing bytes as unsigned values; a text that begins the other sorts first.
int compareTexts(std::string_view a, std::string_view b);

struct ReplaceOptions {
  std::optional<std::int32_t> startPosition;  // 1-based byte position; absent or below 1: 1
  std::optional<std::int32_t> count;          // absent: no limit
  bool caseSensitive = true;
};
// The first occurrence only, case sensitive: the options of a template's placeholders.
inline constexpr ReplaceOptions kFirstOnly{std::nullopt, 1, true};
// Replaces occurrences that begin at character boundaries; an inserted replacement is not scanned
// again. An absent replacement deletes the matches.
std::string replaceSubtext(std::string_view text, std::string_view subtext,
                           std::optional<std::string_view> replacement, ReplaceOptions options);

std::string blankText(std::int32_t n);
std::int32_t textLength(std::string_view text);
// Cuts ASCII blanks and full-width blanks (A1 A1) from both ends; nothing else is a blank.
std::string trimBothEnds(std::string_view text);
Bytes toBytes(std::string_view text);

// Joins the texts in order; the result is always a text of its own, empty parts included.
std::string concatTexts(std::initializer_list<std::string_view> parts);
