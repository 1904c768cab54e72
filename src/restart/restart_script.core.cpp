#include "restart/restart_script.hpp"

#include <algorithm>
#include <cstring>

#include "services/text.hpp"

namespace {

const ReplaceOptions kEvery{std::nullopt, std::nullopt, true};

// 255 blanks and the terminating zero byte: room for any path of the system's usual limit.
constexpr std::int32_t kShortPathBlanks = 255;

// What every code page cmd may read the script in writes alike.
bool isAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char byte) { return static_cast<unsigned char>(byte) < 0x80; });
}
bool isAscii(std::u16string_view text) {
  return std::all_of(text.begin(), text.end(), [](char16_t unit) { return unit < 0x80; });
}

std::string scriptWithPath(std::string_view pathInScript, std::optional<std::int32_t> delaySeconds) {
  const std::string withPath =
      replaceSubtext(restartScriptTemplate, "<文件名>", pathInScript, kFirstOnly);
  return replaceSubtext(withPath, "秒数", toText(restartDelay(delaySeconds)), kFirstOnly);
}

// The GBK form of a text, or nothing when GBK cannot write it: when the form does not read back as
// the text. That also refuses a near likeness (Windows writes "É" as "é"), which would name
// another file.
std::optional<std::string> gbkFormOf(const SystemText& text) {
  std::string gbk = fromSystemText(text);
  if (toSystemText(gbk) != text) return std::nullopt;
  return gbk;
}

}  // namespace

std::int32_t restartDelay(std::optional<std::int32_t> delaySeconds) {
  return delaySeconds && *delaySeconds >= 1 ? *delaySeconds : 2;
}

std::string restartScript(std::string_view executablePath, std::optional<std::int32_t> delaySeconds) {
  // Walks by characters, as cmd reads the script in code page 936.
  return scriptWithPath(replaceSubtext(executablePath, "%", "%%", kEvery), delaySeconds);
}

std::string restartScriptFor(const RestartTarget& target, std::optional<std::int32_t> delaySeconds) {
  if (const std::optional<std::string> path = gbkFormOf(target.path)) {
    // A short form with a character GBK cannot write is none for GBK's purposes.
    const std::string shortForm = gbkFormOf(target.shortPath).value_or(std::string());
    const std::string picked = shortPathOf(*path, [&](const char*, char* buffer, std::uint32_t size) {
      answerShortPathQuery(shortForm, buffer, size);
    });
    if (target.consoleReadsGbk || isAscii(picked)) return restartScript(picked, delaySeconds);
  }
  if (!target.shortPath.empty() && isAscii(target.shortPath)) {
    return restartScript(fromSystemText(target.shortPath), delaySeconds);
  }
  // cmd does not scan the value again (Wine's does, for "!"): the path needs no doubling here.
  return concatTexts({lateExpansionLine,
                      scriptWithPath(concatTexts({"!", restartTargetVariable, "!"}), delaySeconds)});
}

std::string shortPathOf(const std::string& path, const ShortPathQuery& query) {
  // The size given is the long path's length: a short form that fits is shorter than the path,
  // and one that is not shorter is not worth having. The buffer always holds at least that size,
  // so a path beyond 255 bytes gets a larger buffer rather than an answer past the end.
  const std::int32_t size = textLength(path);
  std::string buffer = blankText(std::max(kShortPathBlanks, size));
  query(path.c_str(), buffer.data(), static_cast<std::uint32_t>(size));
  if (trimBothEnds(buffer).empty()) return path;
  return std::string(buffer.c_str());
}

void answerShortPathQuery(std::string_view shortForm, char* buffer, std::uint32_t bufferSize) {
  if (shortForm.empty() || shortForm.size() + 1 > bufferSize) return;
  std::memcpy(buffer, shortForm.data(), shortForm.size());
  buffer[shortForm.size()] = '\0';
}
