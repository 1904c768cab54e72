#include "lapfile/lap_log.hpp"

SystemText lapLogWarningText(std::u16string_view path, std::u16string_view reason) {
  SystemText text = toSystemText("记次文本没有保存。\r\n\r\n文件：");
  text.append(path).append(toSystemText("\r\n原因：")).append(reason);
  return text;
}
