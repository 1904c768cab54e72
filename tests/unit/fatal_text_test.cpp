#include <gtest/gtest.h>

#include <string>

#include "services/fatal.hpp"

namespace {

std::string boxText(std::string_view message, std::int32_t code) {
  char text[256];
  const std::size_t n = formatFatalErrorText(text, sizeof text, message, code);
  EXPECT_EQ(n, std::string(text).size());
  return text;
}

TEST(FatalErrorText, LinesForCodeAndMessage) {
  EXPECT_EQ(boxText("不能整除于零", 0), "运行时出错!\r\n\r\n错误信息：不能整除于零\r\n");
  EXPECT_EQ(boxText("调用DLL命令后发现堆栈错误", 6),
            "运行时出错!\r\n\r\n错误代码：6\r\n\r\n错误信息：调用DLL命令后发现堆栈错误\r\n");
  EXPECT_EQ(boxText("", 0), "运行时出错!\r\n\r\n");
  EXPECT_EQ(boxText("", -2147483647 - 1), "运行时出错!\r\n\r\n错误代码：-2147483648\r\n\r\n");
}

TEST(FatalErrorText, CutToTheBufferAndStillTerminated) {
  char text[8];
  EXPECT_EQ(formatFatalErrorText(text, sizeof text, std::string(100, 'x'), 0), 7u);
  EXPECT_EQ(std::string(text), std::string("运行时出错!").substr(0, 7));
}

}  // namespace
