// The fatal-error report of the window-free logic in its unit tests: the box text goes to the
// standard error stream instead of a message box.
#include <cstdio>
#include <cstdlib>

#include "services/fatal.hpp"

namespace {
bool reported = false;
}

void reportFatalError(std::string_view message, std::int32_t code) {
  reported = true;
  char text[2048];
  formatFatalErrorText(text, sizeof text, message, code);
  std::fputs(text, stderr);
  std::fflush(stderr);
  std::_Exit(-1);
}

bool fatalErrorReported() { return reported; }
