#include <gtest/gtest.h>

#include <cfenv>
#include <cstdint>
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include "services/text.hpp"

namespace {

struct RealCase {
  double value;
  const char* text;
};

TEST(ToText, IntegersAreDecimalWithoutPadding) {
  EXPECT_EQ(toText(std::int32_t{0}), "0");
  EXPECT_EQ(toText(std::int32_t{-7}), "-7");
  EXPECT_EQ(toText(std::int32_t{INT32_MIN}), "-2147483648");
  EXPECT_EQ(toText(std::int64_t{6000000000}), "6000000000");
}

TEST(ToText, RealsAsThirteenSignificantDigitsWithThreeDigitExponent) {
  const RealCase cases[] = {
      {2.0, "2"},
      {-2.5, "-2.5"},
      {0.5, "0.5"},
      {1.0 / 3.0, "0.3333333333333"},
      {2147483648.0, "2147483648"},
      {1234567890123.0, "1234567890123"},
      {10000000000000.0, "1e+013"},  // 13 digits would be needed: exponent form
      {123456789012345.0, "1.234567890123e+014"},
      {0.00001, "1e-005"},
      {0.0001, "0.0001"},  // exponent -4 still plain
      {1e300, "1e+300"},
  };
  for (const auto& c : cases) EXPECT_EQ(toText(c.value), c.text) << c.value;
}

TEST(ToText, TextIsCopied) {
  EXPECT_EQ(toText(std::string_view(".")), ".");
  EXPECT_EQ(toText(std::string_view()), "");
}

TEST(ToInt, ParsesLikeTheLapCounterNeeds) {
  const struct {
    const char* text;
    std::int32_t value;
  } cases[] = {
      {"", 0},           {"12abc", 12},   {" 7", 7},           {"3.9", 3},
      {"-5", -5},        {"+4", 4},       {"- 5", 0},          {"abc", 0},
      {"１２", 12},      {"　8", 8},      {"－３", -3},        {"\t\r\n 9", 9},
      {"2147483648", INT32_MIN},          {"4294967297", 1},   {"7\xB0", 7},
      {"\xB0", 0},  // half a double-byte character: dropped
  };
  for (const auto& c : cases) EXPECT_EQ(toInt(c.text), c.value) << c.text;
}

TEST(Arithmetic, DivisionTruncatesTowardZeroAndRemainderKeepsDividendSign) {
  EXPECT_EQ(integerDivide(7, 2), 3);
  EXPECT_EQ(integerDivide(-7, 2), -3);
  EXPECT_EQ(integerDivide(59, 60), 0);
  EXPECT_EQ(integerDivide(119, 60), 1);
  EXPECT_EQ(integerDivide(integerDivide(7, 2), 2), 1);
  EXPECT_EQ(modulo(105, 100), 5);
  EXPECT_EQ(modulo(-7, 3), -1);
  EXPECT_EQ(modulo(7, -3), 1);
  EXPECT_EQ(modulo(5.5, 2), 1.5);
}

// Exit code -1: 255 as a POSIX status, 0xFFFFFFFF on Windows.
bool exitedWithMinusOne(int status) {
#ifdef _WIN32
  return status == -1;
#else
  return WIFEXITED(status) && WEXITSTATUS(status) == 255;
#endif
}

TEST(ArithmeticDeathTest, ZeroDivisorIsFatal) {
  EXPECT_EXIT(integerDivide(1, 0), exitedWithMinusOne, "不能整除于零");
  EXPECT_EXIT(modulo(1, -0.0), exitedWithMinusOne, "不能求余数于零");
}

TEST(TruncateToInt64, TowardZeroInEveryRoundingMode) {
  for (int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
    std::fesetround(mode);
    EXPECT_EQ(truncateToInt64(-2.7), -2);
    EXPECT_EQ(truncateToInt64(2.9999), 2);
    EXPECT_EQ(truncateToInt64(4294967296.5), 4294967296LL);
    EXPECT_EQ(std::fegetround(), mode);
  }
  std::fesetround(FE_TONEAREST);
}

TEST(ConcatTexts, AlwaysYieldsATextAndJoinsInOrder) {
  EXPECT_EQ(concatTexts({"", ""}), "");
  EXPECT_EQ(concatTexts({"1.", "0秒0毫秒", "\r\n"}), "1.0秒0毫秒\r\n");
}

TEST(CompareTexts, BytesCompareUnsigned) {
  EXPECT_EQ(compareTexts("", ""), 0);
  EXPECT_EQ(compareTexts("a", ""), 1);
  EXPECT_EQ(compareTexts("", "a"), -1);
  EXPECT_EQ(compareTexts("A", "a"), -1);
  EXPECT_EQ(compareTexts("秒", "a"), 1);
  EXPECT_EQ(compareTexts("ab", "abc"), -1);
}

TEST(ReplaceSubtext, FollowsStartCountCaseAndCharacterBoundaries) {
  const ReplaceOptions first{std::nullopt, 1, true};
  const ReplaceOptions all{std::nullopt, std::nullopt, true};
  EXPECT_EQ(replaceSubtext("a<文件名>b<文件名>", "<文件名>", "X", first), "aXb<文件名>");
  EXPECT_EQ(replaceSubtext("中文", "形", "X", all), "中文");  // D6 D0 CE C4 holds D0 CE across two characters
  EXPECT_EQ(replaceSubtext("abcabc", "b", std::nullopt, all), "acac");
  EXPECT_EQ(replaceSubtext("ab", "abc", "X", all), "ab");
  EXPECT_EQ(replaceSubtext("abab", "a", "X", {3, std::nullopt, true}), "abXb");
  EXPECT_EQ(replaceSubtext("abab", "a", "X", {-4, 1, true}), "Xbab");
  EXPECT_EQ(replaceSubtext("abab", "a", "X", {5, std::nullopt, true}), "abab");
  EXPECT_EQ(replaceSubtext("abab", "a", "X", {std::nullopt, 0, true}), "abab");
  EXPECT_EQ(replaceSubtext("aAa", "A", "x", {std::nullopt, std::nullopt, false}), "xxx");
  EXPECT_EQ(replaceSubtext("aAa", "A", "x", all), "axa");
  EXPECT_EQ(replaceSubtext("aa", "a", "aa", all), "aaaa");  // an insert is not scanned again
  EXPECT_EQ(replaceSubtext("", "a", "X", all), "");
  EXPECT_EQ(replaceSubtext("abc", "", "X", all), "abc");
}

TEST(ReplaceSubtext, HalfCharacterAtTheEndIsDroppedOnlyWhenTheScanReachesIt) {
  const ReplaceOptions all{std::nullopt, std::nullopt, true};
  EXPECT_EQ(replaceSubtext("ab\xB0", "x", "X", all), "ab");
  EXPECT_EQ(replaceSubtext("ab\xB0", "xy", "X", all), "ab\xB0");
}

struct WalkRow {
  const char* text;
  const char* backslashesReplaced;  // every backslash character made "/"
};

// Code page 936: 0x81 to 0xFE lead a double-byte character; 0x80 and 0xFF stand alone.
const WalkRow kWalkRows[] = {
    {"a\\b", "a/b"},
    {"綷\\", "綷/"},  // BE 5C: the trail byte has the backslash's value
    {"\x81\\\\", "\x81\\/"},  // the first lead byte takes the first backslash
    {"\xFE\\\\", "\xFE\\/"},  // and so does the last
    {"x\x80\\", "x\x80/"},  // 0x80 is the single-byte "€"
    {"\xFF\\", "\xFF/"},  // 0xFF is a single byte too
    {"\\\x81", "/"},  // a lead byte with no trail: half a character, dropped
};

TEST(CharacterWalk, TakesALeadByteWithTheByteAfterIt) {
  const ReplaceOptions all{std::nullopt, std::nullopt, true};
  for (const WalkRow& row : kWalkRows) {
    EXPECT_EQ(replaceSubtext(row.text, "\\", "/", all), row.backslashesReplaced)
        << testing::PrintToString(std::string(row.text));
  }
}

TEST(BlankText, BlanksOrEmpty) {
  EXPECT_EQ(blankText(255), std::string(255, ' '));
  EXPECT_EQ(blankText(0), "");
  EXPECT_EQ(blankText(-3), "");
}

TEST(TextLength, CountsBytes) {
  EXPECT_EQ(textLength("秒"), 2);
  EXPECT_EQ(textLength(""), 0);
}

TEST(TrimBothEnds, CutsAsciiAndFullWidthBlanksOnly) {
  EXPECT_EQ(trimBothEnds("  ab c　 "), "ab c");
  EXPECT_EQ(trimBothEnds(blankText(255)), "");
  EXPECT_EQ(trimBothEnds("\tab"), "\tab");
  EXPECT_EQ(trimBothEnds("ab\r\n"), "ab\r\n");
  EXPECT_EQ(trimBothEnds(" 秒 "), "秒");
  EXPECT_EQ(trimBothEnds("ab\xB0"), "ab");
}

TEST(ToBytes, BytesWithoutTerminator) {
  EXPECT_EQ(toBytes("ab"), (Bytes{0x61, 0x62}));
  EXPECT_EQ(toBytes("秒"), (Bytes{0xC3, 0xEB}));
  EXPECT_TRUE(toBytes("").empty());
}

}  // namespace
