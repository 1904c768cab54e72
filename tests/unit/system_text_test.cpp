// Texts crossing to the system and back, in code page 936 whatever the system's own.
#include <gtest/gtest.h>

#include "services/system_text.hpp"

namespace {

TEST(SystemText, GbkAndUtf16BothWays) {
  const struct {
    const char* what;
    std::string gbk;
    std::u16string wide;
  } rows[] = {
      {"empty", "", u""},
      {"ASCII", "Restart.bat 1.", u"Restart.bat 1."},
      {"double-byte characters", "Lumo秒计时器记次复制文本.txt", u"Lumo秒计时器记次复制文本.txt"},
      {"a trail byte that is a backslash", "\x81\x5C\\", u"\u4E57\\"},
      {"the single byte 0x80", "x\x80\\", u"x\u20AC\\"},
      {"full-width blank and digits", "\xA1\xA1\xA3\xB1", u"\u3000\uFF11"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(toSystemText(row.gbk), row.wide);
    std::size_t unwritable = 99;
    EXPECT_EQ(fromSystemText(row.wide, &unwritable), row.gbk);
    EXPECT_EQ(unwritable, 0u);
  }
}

// What GBK cannot write is saved as "?", and each such character is counted once.
TEST(SystemText, CharactersOutsideGbkBecomeQuestionMarksAndAreCounted) {
  const struct {
    const char* what;
    std::u16string wide;
    std::string gbk;
    std::size_t unwritable;
  } rows[] = {
      {"German sharp s", u"1.0秒ß\r\n", "1.0秒?\r\n", 1},
      {"capital E acute, which has no near likeness written for it", u"\u00C9", "?", 1},
      {"Hangul", u"타이머", "???", 3},
      {"a character beyond the BMP", u"a\U0001F600b", "a?b", 1},
      {"a question mark of the user's is not counted", u"?ß?", "???", 1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    std::size_t unwritable = 99;
    EXPECT_EQ(fromSystemText(row.wide, &unwritable), row.gbk);
    EXPECT_EQ(unwritable, row.unwritable);
  }
}

}  // namespace
