#include "services/system_text.hpp"

#include <windows.h>

namespace {

constexpr UINT kGbk = kGbkCodePage;
static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 is the system's wide text");

const wchar_t* wide(std::u16string_view text) { return reinterpret_cast<const wchar_t*>(text.data()); }

std::string narrow(std::u16string_view text, BOOL* usedDefault) {
  if (text.empty()) return std::string();
  const int units = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(kGbk, WC_NO_BEST_FIT_CHARS, wide(text), units, nullptr, 0, "?", usedDefault);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(kGbk, WC_NO_BEST_FIT_CHARS, wide(text), units, &out[0], size, "?", usedDefault);
  return out;
}

bool isSurrogatePair(std::u16string_view text, std::size_t i) {
  return text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
         text[i + 1] <= 0xDFFF;
}

// A character beyond the BMP, which GBK has none of, as one unit that GBK has no character for
// either: the system would write a "?" for each half.
std::u16string oneUnitPerCharacter(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (isSurrogatePair(text, i)) {
      out += u'\uFFFF';
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

std::size_t toSystemText(std::string_view gbk, char16_t* out, std::size_t capacity) {
  if (capacity == 0) return 0;
  const int units = gbk.empty() ? 0
                                : MultiByteToWideChar(kGbk, 0, gbk.data(), static_cast<int>(gbk.size()),
                                                      reinterpret_cast<wchar_t*>(out), static_cast<int>(capacity - 1));
  out[units] = u'\0';
  return static_cast<std::size_t>(units);
}

SystemText toSystemText(std::string_view gbk) {
  if (gbk.empty()) return SystemText();
  const int bytes = static_cast<int>(gbk.size());
  const int units = MultiByteToWideChar(kGbk, 0, gbk.data(), bytes, nullptr, 0);
  SystemText out(static_cast<std::size_t>(units), u'\0');
  MultiByteToWideChar(kGbk, 0, gbk.data(), bytes, reinterpret_cast<wchar_t*>(&out[0]), units);
  return out;
}

std::string fromSystemText(std::u16string_view text, std::size_t* unwritable) {
  const std::u16string units = oneUnitPerCharacter(text);
  BOOL usedDefault = FALSE;
  std::string out = narrow(units, &usedDefault);
  if (unwritable == nullptr) return out;
  *unwritable = 0;
  if (!usedDefault) return out;
  // Rare: only then is each character asked on its own.
  for (std::size_t i = 0; i < units.size(); ++i) {
    BOOL one = FALSE;
    (void)narrow(std::u16string_view(units).substr(i, 1), &one);
    if (one) ++*unwritable;
  }
  return out;
}
