// The same conversions for the window-free tests on a POSIX host, through iconv's code page 936.
#include "services/system_text.hpp"

#include <iconv.h>

#include <cerrno>

#include "services/text.hpp"

namespace {

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  ~Converter() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }

  // Converts all it can; at a sequence it cannot, calls skip(in, left) to step over it and write a
  // replacement, and goes on.
  template <typename Skip>
  std::string run(const char* in, std::size_t left, Skip skip) {
    std::string out;
    char buffer[256];
    while (left > 0) {
      char* at = buffer;
      std::size_t room = sizeof buffer;
      const std::size_t done = iconv(cd_, const_cast<char**>(&in), &left, &at, &room);
      out.append(buffer, static_cast<std::size_t>(at - buffer));
      if (done == static_cast<std::size_t>(-1) && errno != E2BIG) skip(in, left, out);
    }
    return out;
  }

 private:
  iconv_t cd_;
};

}  // namespace

SystemText toSystemText(std::string_view gbk) {
  Converter converter("UTF-16LE", "CP936");
  const auto skip = [](const char*& in, std::size_t& left, std::string& out) {
    const std::size_t n = isLeadByte(static_cast<unsigned char>(*in)) && left >= 2 ? 2 : 1;
    in += n;
    left -= n;
    out.append("\xFD\xFF", 2);  // U+FFFD
  };
  const std::string bytes = converter.run(gbk.data(), gbk.size(), skip);
  SystemText text(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    text[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                    static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
  }
  return text;
}

std::size_t toSystemText(std::string_view gbk, char16_t* out, std::size_t capacity) {
  if (capacity == 0) return 0;
  const SystemText text = toSystemText(gbk);
  const std::size_t n = text.size() < capacity ? text.size() : 0;
  text.copy(out, n);
  out[n] = u'\0';
  return n;
}

std::string fromSystemText(std::u16string_view text, std::size_t* unwritable) {
  std::string units;
  for (char16_t c : text) {
    units += static_cast<char>(c & 0xFF);
    units += static_cast<char>(c >> 8);
  }
  std::size_t count = 0;
  Converter converter("CP936", "UTF-16LE");
  std::string out = converter.run(units.data(), units.size(), [&](const char*& in, std::size_t& left, std::string& o) {
    const unsigned hi = static_cast<unsigned char>(in[1]);
    const std::size_t n = hi >= 0xD8 && hi <= 0xDB && left >= 4 ? 4 : 2;
    in += n;
    left -= n;
    o += '?';
    ++count;
  });
  if (unwritable != nullptr) *unwritable = count;
  return out;
}
