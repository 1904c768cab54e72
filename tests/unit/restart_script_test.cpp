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
  EXPECT_EQ(lapLogWarningText("C:\\Lumo\\a.txt", "拒绝访问。"),
            "记次文本没有保存。\r\n\r\n文件：C:\\Lumo\\a.txt\r\n原因：拒绝访问。");
  const std::string reset =
      resetFailureText(RestartFailure::scriptNotWritten, "C:\\Lumo\\Restart.bat", "拒绝访问。");
  EXPECT_NE(reset.find("复位失败"), std::string::npos);
  EXPECT_NE(reset.find("无法写入重启脚本：C:\\Lumo\\Restart.bat\r\n原因：拒绝访问。"), std::string::npos);
}

}  // namespace
