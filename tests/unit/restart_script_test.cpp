#include "restart/restart_script.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "lapfile/lap_log.hpp"
#include "restart/restart.hpp"

namespace {

std::string expectedScript(const std::string& count, const std::string& path) {
  return "@echo off \r\n@ping 127.0.0.1 -n " + count + " >nul\r\nstart \"\" \"" + path +
         "\"\r\ndel Restart.bat";
}

struct ScriptRow {
  const char* path;
  std::optional<std::int32_t> delay;
  const char* count;
  const char* pathInScript;
};

const ScriptRow kScriptRows[] = {
    {"C:\\Lumo\\Lumo.exe", 1, "1", "C:\\Lumo\\Lumo.exe"},  // the reset button's delay
    {"C:\\Lumo\\Lumo.exe", std::nullopt, "2", "C:\\Lumo\\Lumo.exe"},
    {"C:\\Lumo\\Lumo.exe", 0, "2", "C:\\Lumo\\Lumo.exe"},
    {"C:\\Lumo\\Lumo.exe", -3, "2", "C:\\Lumo\\Lumo.exe"},
    {"C:\\Lumo\\Lumo.exe", 15, "15", "C:\\Lumo\\Lumo.exe"},
    {"C:\\Program Files\\Lumo\\Lumo.exe", 1, "1", "C:\\Program Files\\Lumo\\Lumo.exe"},
    // cmd would expand "%off\...%" away; doubled, each comes out as one "%".
    {"C:\\计时 50%off\\Lumo.exe", 1, "1", "C:\\计时 50%%off\\Lumo.exe"},
    {"C:\\%PATH%\\%%.exe", 1, "1", "C:\\%%PATH%%\\%%%%.exe"},
    // The placeholders themselves in the path are not replaced a second time.
    {"C:\\秒数\\<文件名>.exe", 1, "1", "C:\\秒数\\<文件名>.exe"},
    {"D:\\Lumo秒计时器.exe", 1, "1", "D:\\Lumo秒计时器.exe"},
};

class RestartScript : public testing::TestWithParam<ScriptRow> {};

TEST_P(RestartScript, CarriesPathAndDelayInTheTemplate) {
  const ScriptRow& row = GetParam();
  EXPECT_EQ(restartScript(row.path, row.delay), expectedScript(row.count, row.pathInScript));
}

INSTANTIATE_TEST_SUITE_P(Rows, RestartScript, testing::ValuesIn(kScriptRows));

struct TargetRow {
  const char* what;
  std::u16string path;
  std::u16string shortPath;  // the system's; empty: none
  bool consoleReadsGbk;
  std::string script;
};

const std::string kByVariable =
    "@setlocal EnableDelayedExpansion\r\n" + expectedScript("1", "!LumoRestartTarget!");

const TargetRow kTargetRows[] = {
    // On code page 936 with a path GBK writes: the path shortPathOf picks, as always.
    {"936, no short form", u"C:\\计时 目录\\Lumo秒计时器.exe", u"", true,
     expectedScript("1", "C:\\计时 目录\\Lumo秒计时器.exe")},
    {"936, a shorter ASCII short form", u"C:\\计时 目录\\Lumo秒计时器.exe", u"C:\\____~TXX\\LUMO~1.EXE",
     true, expectedScript("1", "C:\\____~TXX\\LUMO~1.EXE")},
    {"936, a shorter short form in GBK", u"C:\\计时目录 2\\a.exe", u"C:\\计时目~1\\a.exe", true,
     expectedScript("1", "C:\\计时目~1\\a.exe")},
    // 19 bytes and 14 units against 15: shorter in GBK bytes, which is what counts.
    {"936, shorter in bytes only", u"C:\\计时器目录\\a.exe", u"C:\\A1B2~1\\a.exe", true,
     expectedScript("1", "C:\\A1B2~1\\a.exe")},
    {"936, a short form no shorter", u"C:\\a\\计时\\x.exe", u"C:\\a\\ABCD~1\\x.exe", true,
     expectedScript("1", "C:\\a\\计时\\x.exe")},
    // GBK has "é" but not "É", which Windows would write as "é": no form with "É" is taken.
    {"936, a short form GBK cannot write", u"C:\\café 计时目录\\a.exe", u"C:\\CAFÉ~1\\A.EXE", true,
     expectedScript("1", "C:\\café 计时目录\\a.exe")},
    {"936, a path GBK cannot write", u"C:\\CAFÉ 计时目录\\a.exe", u"C:\\CAFÉ~1\\A.EXE", true, kByVariable},
    // ASCII reads the same in every code page.
    {"ASCII, another code page", u"C:\\Lumo 50%\\Lumo.exe", u"", false,
     expectedScript("1", "C:\\Lumo 50%%\\Lumo.exe")},
    {"ASCII short form, another code page", u"C:\\Program Files\\Lumo.exe", u"C:\\PROGRA~1\\Lumo.exe",
     false, expectedScript("1", "C:\\PROGRA~1\\Lumo.exe")},
    // Else the system's short form when it is ASCII, longer or not.
    {"GBK path, another code page", u"C:\\a\\计时\\x.exe", u"C:\\a\\ABCD~1\\x.exe", false,
     expectedScript("1", "C:\\a\\ABCD~1\\x.exe")},
    {"a path GBK cannot write", u"C:\\타이머\\Lumo.exe", u"C:\\___~~RNV\\Lumo.exe", true,
     expectedScript("1", "C:\\___~~RNV\\Lumo.exe")},
    {"beyond the BMP, with %", u"C:\\50%\\\U0001F600\\a.exe", u"C:\\50%\\_~1\\a.exe", true,
     expectedScript("1", "C:\\50%%\\_~1\\a.exe")},
    // Else the environment variable.
    {"a path GBK cannot write, no short form", u"C:\\타이머 50%\\Lumo.exe", u"", true, kByVariable},
    {"GBK path and short form, another code page", u"C:\\计时目录 2\\a.exe", u"C:\\计时目~1\\a.exe",
     false, kByVariable},
    {"GBK path, no short form, another code page", u"C:\\计时\\a.exe", u"", false, kByVariable},
};

TEST(RestartScriptFor, NamesTheExecutableAsCmdReadsItRight) {
  for (const TargetRow& row : kTargetRows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(restartScriptFor({row.path, row.shortPath, row.consoleReadsGbk}, 1), row.script);
  }
  EXPECT_EQ(restartScriptFor({u"C:\\计时\\a.exe", u"", true}, std::nullopt),
            expectedScript("2", "C:\\计时\\a.exe"));
  // Outside the macro, which would spell the Hangul out in a GBK literal.
  const RestartTarget unwritable{u"C:\\타이머\\a.exe", u"", true};
  EXPECT_EQ(restartScriptFor(unwritable, 0),
            "@setlocal EnableDelayedExpansion\r\n" + expectedScript("2", "!LumoRestartTarget!"));
}

TEST(RestartScriptTemplate, IsByteForByte) {
  // "秒数" is C3 EB CA FD in GBK; the blank after "off" and no line end after the last line.
  const std::string expected =
      "@echo off \r\n@ping 127.0.0.1 -n \xC3\xEB\xCA\xFD >nul\r\nstart \"\" "
      "\"<\xCE\xC4\xBC\xFE\xC3\xFB>\"\r\ndel Restart.bat";
  EXPECT_EQ(std::string(restartScriptTemplate), expected);
}

// A stand-in for GetShortPathNameA: records what it was given and writes `answer` when it fits.
struct ShortPathStandIn {
  explicit ShortPathStandIn(std::string shortForm) : answer(std::move(shortForm)) {}

  std::string answer;  // empty: the system has no short form, the buffer is left alone
  std::string givenPath;
  std::uint32_t givenSize = 0;
  std::size_t bufferCapacity = 0;

  ShortPathQuery query() {
    return [this](const char* longPath, char* buffer, std::uint32_t size) {
      givenPath = longPath;
      givenSize = size;
      bufferCapacity = std::strlen(buffer) + 1;  // the blanks and their zero byte
      if (!answer.empty() && answer.size() + 1 <= size) {
        std::memcpy(buffer, answer.c_str(), answer.size() + 1);
      }
    };
  }
};

TEST(ShortPathOf, TakesTheShortFormTheSystemWrites) {
  ShortPathStandIn system("C:\\PROGRA~1\\Lumo\\Lumo.exe");
  const std::string path = "C:\\Program Files\\Lumo\\Lumo.exe";
  EXPECT_EQ(shortPathOf(path, system.query()), "C:\\PROGRA~1\\Lumo\\Lumo.exe");
  EXPECT_EQ(system.givenPath, path);
  EXPECT_EQ(system.givenSize, path.size());  // the long path's length, not the buffer's
  EXPECT_EQ(system.bufferCapacity, 256u);
}

TEST(ShortPathOf, KeepsTheLongPathWhenTheBufferStaysBlank) {
  ShortPathStandIn system("");
  EXPECT_EQ(shortPathOf("C:\\Program Files\\Lumo.exe", system.query()), "C:\\Program Files\\Lumo.exe");
  // A short form no shorter than the path does not fit the size given: the buffer stays blank.
  ShortPathStandIn same("C:\\a.exe");
  EXPECT_EQ(shortPathOf("C:\\a.exe", same.query()), "C:\\a.exe");
}

TEST(ShortPathOf, NeverGivesASizeBeyondTheBuffer) {
  for (const std::size_t length : {255u, 256u, 259u, 400u}) {
    SCOPED_TRACE(length);
    const std::string path = "C:\\" + std::string(length - 7, 'a') + ".exe";
    ShortPathStandIn system("C:\\AAAAAA~1.EXE");
    EXPECT_EQ(shortPathOf(path, system.query()), "C:\\AAAAAA~1.EXE");
    EXPECT_EQ(system.givenSize, length);
    EXPECT_LE(system.givenSize, system.bufferCapacity);
  }
}

TEST(FailureTexts, NameTheFileAndTheReason) {
  EXPECT_EQ(lapLogWarningText(u"C:\\Lumo\\a.txt", u"拒绝访问。"),
            toSystemText("记次文本没有保存。\r\n\r\n文件：C:\\Lumo\\a.txt\r\n原因：拒绝访问。"));
  const SystemText reset =
      resetFailureText(RestartFailure::scriptNotWritten, u"C:\\Lumo\\Restart.bat", u"拒绝访问。");
  EXPECT_NE(reset.find(toSystemText("复位失败")), SystemText::npos);
  EXPECT_NE(reset.find(toSystemText("无法写入重启脚本：C:\\Lumo\\Restart.bat\r\n原因：拒绝访问。")),
            SystemText::npos);
}

// The path and the reason are the system's: what GBK has no character for is shown as it is, not
// as "?" (a directory in Korean, a reason in German). The texts are named outside the macros,
// which would spell them in GBK.
TEST(FailureTexts, KeepWhatGbkCannotWriteOfThePathAndTheReason) {
  const SystemText path = u"C:\\타이머\\Lumo.bat";
  const SystemText reason = u"Der Datenträger ist voll.";
  EXPECT_EQ(lapLogWarningText(path, reason), toSystemText("记次文本没有保存。\r\n\r\n文件：") + path +
                                                 toSystemText("\r\n原因：") + reason);
  const SystemText reset = resetFailureText(RestartFailure::scriptNotStarted, path, reason);
  EXPECT_NE(reset.find(toSystemText("无法启动重启脚本：") + path + toSystemText("\r\n原因：") + reason),
            SystemText::npos);
}

}  // namespace
