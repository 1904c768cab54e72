// The batch script that brings the program back after a reset: it waits, starts the executable
// again and deletes itself. Window-free, so its exact bytes are tested natively.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "services/system_text.hpp"

// The blank after "off" and the missing line end after the last line are part of the script.
inline constexpr std::string_view restartScriptTemplate =
    "@echo off \r\n@ping 127.0.0.1 -n 秒数 >nul\r\nstart \"\" \"<文件名>\"\r\ndel Restart.bat";
inline constexpr std::string_view restartScriptName = "Restart.bat";

// Absent or below 1: 2.
std::int32_t restartDelay(std::optional<std::int32_t> delaySeconds);

// The script for an executable path, which stands inside the template's quotes. cmd expands "%"
// in a batch file even there, so each "%" of the path is written "%%".
std::string restartScript(std::string_view executablePath, std::optional<std::int32_t> delaySeconds);

// The environment variable that the script of last resort names the executable by, and that the
// starter sets to the executable's path: cmd takes a variable's value from its wide environment,
// so the path arrives whole whatever code page cmd reads the script in. The script expands it
// late (!name!), as Wine's cmd scans a value that %name% gave again for "%".
inline constexpr std::string_view restartTargetVariable = "LumoRestartTarget";
inline constexpr std::string_view lateExpansionLine = "@setlocal EnableDelayedExpansion\r\n";

// The executable as the restart script is to name it, and how cmd will read the script.
struct RestartTarget {
  SystemText path;       // the executable's path
  SystemText shortPath;  // the system's short (8.3) form of it; empty when it gives none
  bool consoleReadsGbk;  // cmd reads a batch file in code page 936: the console's, the OEM code page
};

// The script in the first of three forms whose path cmd reads right. Where GBK writes the path:
// restartScript of the path that shortPathOf picks from the short form, when cmd reads GBK or that
// path is pure ASCII; on code page 936 that is the script it has always been. Else restartScript
// of the short form, when that is pure ASCII. Else lateExpansionLine and the template with
// "!LumoRestartTarget!" for the path.
std::string restartScriptFor(const RestartTarget& target, std::optional<std::int32_t> delaySeconds);

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
