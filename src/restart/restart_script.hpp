// The batch script that brings the program back after a reset: it waits, starts the executable
// again and deletes itself. Window-free, so its exact bytes are tested natively.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The blank after "off" and the missing line end after the last line are part of the script.
inline constexpr std::string_view restartScriptTemplate =
    "@echo off \r\n@ping 127.0.0.1 -n 秒数 >nul\r\nstart \"\" \"<文件名>\"\r\ndel Restart.bat";
inline constexpr std::string_view restartScriptName = "Restart.bat";

// Absent or below 1: 2.
std::int32_t restartDelay(std::optional<std::int32_t> delaySeconds);

// The script for an executable path, which stands inside the template's quotes. cmd expands "%"
// in a batch file even there, so each "%" of the path is written "%%".
std::string restartScript(std::string_view executablePath, std::optional<std::int32_t> delaySeconds);

// Asks the system for the short form of a path: writes it, zero-terminated, into a buffer of
// bufferSize bytes, or leaves the buffer as it is when it has none or it does not fit.
using ShortPathQuery =
    std::function<void(const char* longPath, char* buffer, std::uint32_t bufferSize)>;

// The short (8.3) form when the system gives one shorter than the path, else a copy of the path.
std::string shortPathOf(const std::string& path, const ShortPathQuery& query);

// What GetShortPathNameA leaves in a buffer of bufferSize bytes when the system's short form of
// the path, in GBK, is shortForm (empty: it has none): the form and its zero byte when they fit,
// else the buffer as it was.
void answerShortPathQuery(std::string_view shortForm, char* buffer, std::uint32_t bufferSize);
