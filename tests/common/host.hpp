// What the tests need to know of the system they run on: whether it is Wine, the two sides of a
// path there, and Unix programs started from the Windows side.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

bool runningUnderWine();
// A text in the code page (CP_ACP, CP_UTF8, ...) as UTF-16, for the wide functions.
std::u16string utf16Of(std::string_view text, unsigned codePage);
// The ANSI code page the test command made this prefix for: LUMO_CODE_PAGE, else 936.
unsigned expectedCodePage();

// The Unix path of a Windows path under Wine; empty elsewhere or when it has none.
std::string unixPathOf(const std::string& windowsPath);
// A path as the Unix side gives it to the tests ("/work/..."), as Wine's drive Z: shows it; any
// other path as it is.
std::string windowsPathOf(const std::string& path);

// Under Wine: runs a Unix program (its full Unix path first, then the arguments, all UTF-8) until
// `done` holds. Wine gives no handle to wait on for a Unix program, so the effect is polled for,
// and the program started again when a start came to nothing. False when the effect never came.
bool runUnixProgramUntil(const std::vector<std::string>& unixCommand, const std::function<bool()>& done);
