// The C++ runtime's own failures end the program through its fatal report, like every other
// failure: an exception that nobody catches (the program catches none), and with libstdc++ the
// errors its containers would throw (a text longer than memory can hold, a position past the
// end). Linked into the program alone: the test programs keep the runtime's reports, which their
// framework turns into failures.
//
// With libstdc++ these are link-time replacements of the library's functions of the same names:
// its default terminate handler writes the exception's demangled type to a console the program
// does not have, and brings the demangler with it; its throwing functions bring the exception
// classes with their own copy of the text class. Together they were a fifth of the program.
#include <cstdarg>
#include <cstddef>
#include <exception>
#include <string>

#include "services/fatal.hpp"

namespace {

constexpr char kUncaughtException[] = "未处理的异常";

}  // namespace

#if defined(__GLIBCXX__)

namespace {

// The library's messages with their numbers: "%zu" is a size, "%s" a text, "%%" a percent sign.
// On the stack, as the fatal report itself.
[[noreturn]] void reportFormatted(const char* format, std::va_list arguments) {
  char text[256];
  std::size_t length = 0;
  auto put = [&](char c) {
    if (length + 1 < sizeof text) text[length++] = c;
  };
  for (const char* p = format; *p != '\0'; ++p) {
    if (p[0] == '%' && p[1] == 'z' && p[2] == 'u') {
      char digits[20];
      int n = 0;
      for (std::size_t value = va_arg(arguments, std::size_t); n == 0 || value != 0; value /= 10) {
        digits[n++] = static_cast<char>('0' + value % 10);
      }
      while (n > 0) put(digits[--n]);
      p += 2;
    } else if (p[0] == '%' && p[1] == 's') {
      for (const char* s = va_arg(arguments, const char*); *s != '\0'; ++s) put(*s);
      ++p;
    } else if (p[0] == '%' && p[1] == '%') {
      put('%');
      ++p;
    } else {
      put(*p);
    }
  }
  text[length] = '\0';
  reportFatalError(text);
}

}  // namespace

namespace __gnu_cxx {
void __verbose_terminate_handler() { reportFatalError(kUncaughtException); }
}  // namespace __gnu_cxx

namespace std {
void __throw_bad_exception() { reportFatalError("std::bad_exception"); }
void __throw_bad_alloc() { reportFatalError("std::bad_alloc"); }
void __throw_bad_array_new_length() { reportFatalError("std::bad_array_new_length"); }
void __throw_bad_cast() { reportFatalError("std::bad_cast"); }
void __throw_bad_typeid() { reportFatalError("std::bad_typeid"); }
void __throw_logic_error(const char* what) { reportFatalError(what); }
void __throw_domain_error(const char* what) { reportFatalError(what); }
void __throw_invalid_argument(const char* what) { reportFatalError(what); }
void __throw_length_error(const char* what) { reportFatalError(what); }
void __throw_out_of_range(const char* what) { reportFatalError(what); }
void __throw_out_of_range_fmt(const char* format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  reportFormatted(format, arguments);
}
void __throw_runtime_error(const char* what) { reportFatalError(what); }
void __throw_range_error(const char* what) { reportFatalError(what); }
void __throw_overflow_error(const char* what) { reportFatalError(what); }
void __throw_underflow_error(const char* what) { reportFatalError(what); }
}  // namespace std

#else

namespace {
[[noreturn]] void reportUncaughtException() { reportFatalError(kUncaughtException); }
// Before main, so that no exception can come before it.
const std::terminate_handler previousHandler = std::set_terminate(reportUncaughtException);
}  // namespace

#endif
