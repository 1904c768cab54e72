#include "services/exe_path.hpp"

#include <gtest/gtest.h>

namespace {

struct SplitRow {
  const char* modulePath;
  const char* runDirectory;
  const char* executableName;
};

const SplitRow kSplitRows[] = {
    {"C:\\Tools\\Lumo\\Lumo.exe", "C:\\Tools\\Lumo", "Lumo.exe"},
    // An executable in a drive's root: the directory is the drive alone, no backslash.
    {"D:\\x.exe", "D:", "x.exe"},
    {"Lumo.exe", "", "Lumo.exe"},
    // "綷" is BE 5C in GBK: its trail byte has the backslash's value and is no separator.
    {"C:\\綷\\a.exe", "C:\\綷", "a.exe"},
    {"C:\\d\\綷.exe", "C:\\d", "綷.exe"},
    {"C:\\綷綷", "C:", "綷綷"},
    // 0x80 ("€") and 0xFF are characters of one byte: the backslash after them is one.
    {"C:\\x\x80\\a.exe", "C:\\x\x80", "a.exe"},
    {"C:\\\xFF\\a.exe", "C:\\\xFF", "a.exe"},
    // A lead byte with no trail byte at the very end.
    {"C:\\d\\a\x81", "C:\\d", "a\x81"},
    // 秒计时器 in GBK, then a name that holds blanks and "%".
    {"C:\\秒计时器\\50% off.exe", "C:\\秒计时器", "50% off.exe"},
    {"\\\\server\\share\\a.exe", "\\\\server\\share", "a.exe"},
};

class SplitModulePath : public testing::TestWithParam<SplitRow> {};

TEST_P(SplitModulePath, SplitsAtTheLastRealBackslash) {
  const SplitRow& row = GetParam();
  const ExecutableLocation location = splitModulePath(row.modulePath);
  EXPECT_EQ(location.runDirectory, row.runDirectory);
  EXPECT_EQ(location.executableName, row.executableName);
}

INSTANTIATE_TEST_SUITE_P(Paths, SplitModulePath, testing::ValuesIn(kSplitRows));

}  // namespace

namespace {

// The rows above only test the trail byte if the literals really are GBK.
TEST(SplitModulePathRows, AreGbkBytes) { EXPECT_EQ(std::string("綷"), "\xBE\x5C"); }

}  // namespace

namespace {

struct SystemSplitRow {
  const char16_t* modulePath;
  const char16_t* runDirectory;
  const char16_t* executableName;
};

const SystemSplitRow kSystemSplitRows[] = {
    {u"C:\\타이머\\Lumo.exe", u"C:\\타이머", u"Lumo.exe"},
    {u"C:\\\U0001F600 计时\\秒.exe", u"C:\\\U0001F600 计时", u"秒.exe"},
    // "乗" is 81 5C in GBK; in UTF-16 it is one unit and no backslash.
    {u"C:\\乗\\a.exe", u"C:\\乗", u"a.exe"},
    {u"D:\\x.exe", u"D:", u"x.exe"},
    {u"Lumo.exe", u"", u"Lumo.exe"},
};

TEST(SplitModulePath, SplitsAUtf16PathAtItsLastBackslash) {
  for (const SystemSplitRow& row : kSystemSplitRows) {
    const SystemExecutableLocation location = splitModulePath(std::u16string_view(row.modulePath));
    EXPECT_EQ(location.runDirectory, row.runDirectory);
    EXPECT_EQ(location.executableName, row.executableName);
  }
}

}  // namespace
