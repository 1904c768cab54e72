// The reset: the program restarts itself through a batch script, so the new instance begins from
// zero. A reset that cannot bring the program back leaves it running.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "services/process.hpp"
#include "services/system_text.hpp"

enum class RestartFailure {
  executableMissing,  // moved or deleted while running: the reset does nothing, and says nothing
  scriptNotWritten,
  scriptNotStarted,
};

struct RestartResult {
  RestartFailure failure;
  std::uint32_t systemError;  // GetLastError of the step that failed
  SystemText path;            // the executable's path, or the script's
};

// The system's short (8.3) form of the path, through GetShortPathNameW; empty when it has none.
SystemText shortSystemPathOf(const SystemText& path);
// The short form of the path that the script has always carried: the system's, when its GBK text
// is shorter than the path's; else a copy of the path.
std::string shortPathOf(const std::string& path);

// runProgram for a UTF-16 command line, or a function of its very type in its place.
using ProgramStart = bool (*)(const SystemText& commandLine, bool wait, std::int32_t windowMode);
// shortSystemPathOf, or a function of its very type in its place.
using ShortPathLookup = SystemText (*)(const SystemText& path);

// Writes the restart script next to the executable, starts it hidden and ends this process with
// exit code 0; the script starts the executable again after the delay (absent or below 1: 2
// seconds). The script and the executable are reached by their UTF-16 paths, so any directory
// will do, and the script names the executable as cmd will read it right (restartScriptFor).
// Returns only when that could not be set going, and then nothing has been ended or closed, and a
// script that did not start is gone again. The script is started through `start`, and the short
// form asked of `shortForm`: no system refuses to start a script, or keeps a short form back, on
// demand, and this is how a test brings that about.
RestartResult restartSelf(std::optional<std::int32_t> delaySeconds, ProgramStart start = runProgram,
                          ShortPathLookup shortForm = shortSystemPathOf);

// True when the process was terminated (for the own process the call does not return). With
// useGiven false the own process is meant, whatever the identifier.
bool terminateProcessById(std::uint32_t processId, bool useGiven);
// Terminates this process with exit code 0, as terminateProcessById does for it; should the
// system refuse, the process exits with code 0 all the same.
[[noreturn]] void terminateOwnProcess();

// For the box that tells the user a reset did not happen.
inline constexpr std::string_view kResetFailureCaption = "复位失败";
// Says that the reset failed and the stopwatch runs on, which file could not be written or
// started, and the system's reason. A system text, as the path and the reason are.
SystemText resetFailureText(RestartFailure failure, std::u16string_view path,
                            std::u16string_view reason);
// The same with the system's wording for the result's error.
SystemText resetFailureText(const RestartResult& result);
