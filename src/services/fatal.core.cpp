#include "services/fatal.hpp"

#include <cstring>

namespace {

// Appends to a fixed buffer, cutting what does not fit and keeping the terminating zero byte.
struct FixedText {
  char* out;
  std::size_t capacity;
  std::size_t length = 0;

  void append(std::string_view part) {
    if (capacity == 0) return;
    const std::size_t room = capacity - 1 - length;
    const std::size_t n = part.size() < room ? part.size() : room;
    std::memcpy(out + length, part.data(), n);
    length += n;
    out[length] = '\0';
  }
};

}  // namespace

std::size_t formatFatalErrorText(char* out, std::size_t capacity, std::string_view message,
                                 std::int32_t code) {
  FixedText text{out, capacity};
  if (capacity > 0) out[0] = '\0';
  text.append("运行时出错!\r\n\r\n");
  if (code != 0) {
    char digits[12];
    std::size_t n = 0;
    auto magnitude = code < 0 ? 0u - static_cast<std::uint32_t>(code) : static_cast<std::uint32_t>(code);
    do {
      digits[sizeof digits - 1 - n++] = static_cast<char>('0' + magnitude % 10);
      magnitude /= 10;
    } while (magnitude != 0);
    if (code < 0) digits[sizeof digits - 1 - n++] = '-';
    text.append("错误代码：");
    text.append(std::string_view(digits + sizeof digits - n, n));
    text.append("\r\n\r\n");
  }
  if (!message.empty()) {
    text.append("错误信息：");
    text.append(message);
    text.append("\r\n");
  }
  return text.length;
}
