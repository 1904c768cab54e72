#include "services/text.hpp"

#include <cmath>
#include <limits>

#include "services/decimal.hpp"
#include "services/fatal.hpp"

namespace {

// Length of the character at text[i]: 2 for a lead byte with its trail, 1 otherwise; 0 for a lead
// byte that has no trail byte left (half a character, dropped by the walkers below).
std::size_t charLength(std::string_view text, std::size_t i) {
  if (!isLeadByte(static_cast<unsigned char>(text[i]))) return 1;
  return i + 1 < text.size() ? 2 : 0;
}

// The last `width` decimal digits of the value, leading zeros included.
void writeDigits(std::uint64_t value, char* out, int width) {
  for (int i = width - 1; i >= 0; --i, value /= 10) out[i] = static_cast<char>('0' + value % 10);
}

bool isAsciiSpace(unsigned char b) { return b == 0x20 || (b >= 0x09 && b <= 0x0D); }

// The full-width forms that toInt reads as ASCII.
std::string narrowFullWidth(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = charLength(text, i);
    if (n == 0) break;
    if (n == 2) {
      const auto lead = static_cast<unsigned char>(text[i]);
      const auto trail = static_cast<unsigned char>(text[i + 1]);
      if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
        out += static_cast<char>(trail - 0x80);
      } else if (lead == 0xA1 && trail == 0xA1) {
        out += ' ';
      } else if (lead == 0xA1 && trail == 0xAB) {
        out += '~';
      } else if (lead == 0xA1 && (trail == 0xEE || trail == 0xEF)) {
        out += '*';
      } else {
        out.append(text.substr(i, 2));
      }
    } else {
      out += text[i];
    }
    i += n;
  }
  return out;
}

bool isBlankAt(std::string_view text, std::size_t i, std::size_t n) {
  if (n == 1) return text[i] == ' ';
  return static_cast<unsigned char>(text[i]) == 0xA1 && static_cast<unsigned char>(text[i + 1]) == 0xA1;
}

bool bytesMatch(std::string_view a, std::string_view b, bool caseSensitive) {
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (!caseSensitive) {
      if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
      if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    }
    if (x != y) return false;
  }
  return true;
}

}  // namespace

std::string toText(std::int32_t value) { return std::to_string(value); }

std::string toText(std::int64_t value) { return std::to_string(value); }

std::string toText(double value) {
  // Made here rather than by printf, whose exponent digits differ between C runtimes, or by
  // std::to_chars, whose tables would be most of the program's size.
  constexpr int kDigits = 13;
  constexpr int kExponentDigits = 3;
  std::string text = std::signbit(value) ? "-" : "";
  if (std::isnan(value)) return text + "nan";
  if (std::isinf(value)) return text + "inf";
  if (value == 0) return text + "0";
  const DecimalDigits rounded = roundToSignificantDigits(std::fabs(value), kDigits);
  char digits[kDigits];
  writeDigits(rounded.digits, digits, kDigits);
  int kept = kDigits;  // without the trailing zeros
  while (kept > 1 && digits[kept - 1] == '0') --kept;

  const int exponent = rounded.exponent;
  if (exponent >= -4 && exponent < kDigits) {  // plain: "0.0001" to "1234567890123"
    if (exponent < 0) {
      text.append("0.").append(static_cast<std::size_t>(-exponent - 1), '0').append(digits, kept);
      return text;
    }
    text.append(digits, static_cast<std::size_t>(exponent + 1));
    if (kept > exponent + 1) text.append(".").append(digits + exponent + 1, kept - (exponent + 1));
    return text;
  }
  text += digits[0];
  if (kept > 1) text.append(".").append(digits + 1, kept - 1);
  text += exponent < 0 ? "e-" : "e+";
  char exponentText[kExponentDigits];
  writeDigits(static_cast<std::uint64_t>(exponent < 0 ? -exponent : exponent), exponentText, kExponentDigits);
  return text.append(exponentText, kExponentDigits);
}

std::string toText(std::string_view value) { return std::string(value); }

std::int32_t toInt(std::string_view text) {
  const std::string narrowed = narrowFullWidth(text);
  std::size_t i = 0;
  while (i < narrowed.size() && isAsciiSpace(static_cast<unsigned char>(narrowed[i]))) ++i;
  bool negative = false;
  if (i < narrowed.size() && (narrowed[i] == '+' || narrowed[i] == '-')) {
    negative = narrowed[i] == '-';
    ++i;
  }
  std::uint32_t value = 0;  // unsigned, so that overflow wraps as the contract says
  for (; i < narrowed.size() && narrowed[i] >= '0' && narrowed[i] <= '9'; ++i) {
    value = value * 10u + static_cast<std::uint32_t>(narrowed[i] - '0');
  }
  if (negative) value = 0u - value;
  return static_cast<std::int32_t>(value);
}

double integerDivide(double dividend, double divisor) {
  if (divisor == 0.0) reportFatalError("不能整除于零");
  return std::trunc(dividend / divisor);
}

double modulo(double dividend, double divisor) {
  if (divisor == 0.0) reportFatalError("不能求余数于零");
  return std::fmod(dividend, divisor);
}

std::int64_t truncateToInt64(double value) {
  // A conversion in C++ always truncates; only values outside the range need a rule, and they
  // get the processor's "integer indefinite" as a hardware conversion would.
  constexpr double kLimit = 9223372036854775808.0;  // 2^63
  if (!(value > -kLimit - 1024.0 && value < kLimit)) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(value);
}

std::string concatTexts(std::initializer_list<std::string_view> parts) {
  std::size_t size = 0;
  for (auto p : parts) size += p.size();
  std::string out;
  out.reserve(size);
  for (auto p : parts) out.append(p);
  return out;
}

int compareTexts(std::string_view a, std::string_view b) {
  const int c = a.compare(b);  // char_traits<char> compares as unsigned char
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

std::string replaceSubtext(std::string_view text, std::string_view subtext,
                           std::optional<std::string_view> replacement, ReplaceOptions options) {
  const std::int32_t start = std::max<std::int32_t>(options.startPosition.value_or(1), 1);
  if (text.empty() || subtext.empty() || static_cast<std::size_t>(start - 1) >= text.size() ||
      (options.count && *options.count == 0)) {
    return std::string(text);
  }
  const std::string_view with = replacement.value_or(std::string_view());
  std::string out(text.substr(0, static_cast<std::size_t>(start - 1)));
  std::size_t i = static_cast<std::size_t>(start - 1);
  std::int32_t done = 0;
  while (text.size() - i >= subtext.size()) {
    if (bytesMatch(text.substr(i, subtext.size()), subtext, options.caseSensitive)) {
      out.append(with);
      i += subtext.size();
      if (options.count && ++done == *options.count) break;
      continue;
    }
    const std::size_t n = charLength(text, i);
    if (n == 0) {  // half a character at the very end
      ++i;
      break;
    }
    out.append(text.substr(i, n));
    i += n;
  }
  out.append(text.substr(i));
  return out;
}

std::string blankText(std::int32_t n) { return n > 0 ? std::string(static_cast<std::size_t>(n), ' ') : std::string(); }

std::int32_t textLength(std::string_view text) { return static_cast<std::int32_t>(text.size()); }

std::string trimBothEnds(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t n = charLength(text, i);
    if (n == 0 || !isBlankAt(text, i, n)) break;
    i += n;
  }
  const std::size_t begin = i;
  std::size_t end = i;  // end of the last character that is not a blank
  while (i < text.size()) {
    const std::size_t n = charLength(text, i);
    if (n == 0) break;
    if (!isBlankAt(text, i, n)) end = i + n;
    i += n;
  }
  return std::string(text.substr(begin, end - begin));
}

Bytes toBytes(std::string_view text) { return Bytes(text.begin(), text.end()); }
