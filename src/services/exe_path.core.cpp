#include "services/exe_path.hpp"

#include "services/text.hpp"

ExecutableLocation splitModulePath(std::string_view modulePath) {
  std::size_t separator = std::string_view::npos;
  for (std::size_t i = 0; i < modulePath.size();) {
    const auto byte = static_cast<unsigned char>(modulePath[i]);
    if (isLeadByte(byte)) {
      i += 2;  // a lead byte takes its trail byte with it, whatever that byte's value
      continue;
    }
    if (byte == '\\') separator = i;
    ++i;
  }
  if (separator == std::string_view::npos) return {std::string(), std::string(modulePath)};
  return {std::string(modulePath.substr(0, separator)),
          std::string(modulePath.substr(separator + 1))};
}

SystemExecutableLocation splitModulePath(std::u16string_view modulePath) {
  const std::size_t separator = modulePath.rfind(u'\\');
  if (separator == std::u16string_view::npos) return {SystemText(), SystemText(modulePath)};
  return {SystemText(modulePath.substr(0, separator)), SystemText(modulePath.substr(separator + 1))};
}
