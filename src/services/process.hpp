// Starting another program from a command line.
#pragma once

#include <cstdint>
#include <string>

#include "services/system_text.hpp"

enum WindowMode : std::int32_t {
  kWindowHidden = 1,
  kWindowNormal = 2,             // activated
  kWindowMinimized = 3,          // activated
  kWindowMaximized = 4,          // activated
  kWindowNormalInactive = 5,
  kWindowMinimizedInactive = 6,
};

// Starts the command line as given: nothing is quoted or added, so a path with blanks must come
// quoted. The new process inherits this one's environment and current directory. With wait it
// returns when the process has ended; otherwise once it waits for input, at most after 1000 ms
// (at once for a console program). A mode outside 1 to 6 is taken as the nearer end.
// False when the process could not be started; GetLastError then says why.
bool runProgram(const std::string& commandLine, bool wait = false,
                std::int32_t windowMode = kWindowNormal);
// The same for a command line in UTF-16, which may name paths that GBK cannot write.
bool runProgram(const SystemText& commandLine, bool wait = false,
                std::int32_t windowMode = kWindowNormal);
