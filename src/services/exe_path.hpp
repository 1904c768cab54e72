// Where the executable lives, split from its module path. Window-free, so that the GBK reading of
// the path is tested natively.
#pragma once

#include <string>
#include <string_view>

#include "services/system_text.hpp"

struct ExecutableLocation {
  std::string runDirectory;    // never ends in a backslash; "D:" for an executable in a root
  std::string executableName;  // with its extension
};

// Splits at the last backslash, reading the path as GBK: the trail byte of a double-byte
// character may be 0x5C and is never a separator. Without a backslash the run directory is empty
// and the name is the whole path.
ExecutableLocation splitModulePath(std::string_view modulePath);

// The same for the path in UTF-16, as the system's wide functions give it and take it: split at the
// last backslash, which in UTF-16 is always a separator.
struct SystemExecutableLocation {
  SystemText runDirectory;
  SystemText executableName;
};
SystemExecutableLocation splitModulePath(std::u16string_view modulePath);
