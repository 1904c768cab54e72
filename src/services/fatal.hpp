// The fatal-error report: a modal box titled "错误", then the process ends with exit code -1.
// Nothing registered for the normal end runs on this path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Writes the box text ("运行时出错!", the code line when code is not 0, the message line when the
// message is not empty) into out, zero-terminated and cut to fit; returns its length. Takes no
// memory from the heap, so an allocation failure can be reported with it.
std::size_t formatFatalErrorText(char* out, std::size_t capacity, std::string_view message,
                                 std::int32_t code);

[[noreturn]] void reportFatalError(std::string_view message, std::int32_t code = 0);

// True from the moment reportFatalError is entered: no event may reach a handler after that.
bool fatalErrorReported();
