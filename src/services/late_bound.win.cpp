#include "services/late_bound.hpp"

#include <string>

#include "services/fatal.hpp"
#include "services/text.hpp"

namespace lateBound {
namespace {

constexpr char kLibrary[] = "kernel32.dll";
int bindings = 0;

// One cached entry. The pointer type is the system's own declaration of the function, so the
// compiler checks every call's arguments and calling convention (WINAPI) against it; no call can
// leave the stack out of place, which is why none is followed by a stack check.
template <typename Pointer>
class Entry {
 public:
  explicit constexpr Entry(const char* name) : name_(name) {}

  Pointer get() {
    if (address_ == nullptr) {
      // FARPROC and the declared type differ only in their parameters; the address is the same.
      address_ = reinterpret_cast<Pointer>(reinterpret_cast<void*>(bindSystemFunction(kLibrary, name_)));
    }
    return address_;
  }

 private:
  const char* name_;
  Pointer address_ = nullptr;
};

Entry<decltype(&GetShortPathNameW)> getShortPathNameEntry("GetShortPathNameW");
Entry<decltype(&OpenProcess)> openProcessEntry("OpenProcess");
Entry<decltype(&TerminateProcess)> terminateProcessEntry("TerminateProcess");
Entry<decltype(&CloseHandle)> closeHandleEntry("CloseHandle");
Entry<decltype(&GetCurrentProcessId)> getCurrentProcessIdEntry("GetCurrentProcessId");

}  // namespace

FARPROC findSystemFunction(const char* library, const char* function) {
  // Only a module already in the process: kernel32 and user32 are mapped by the system loader
  // from the system directory before any of our code runs. Loading by name, as LoadLibraryA
  // would, could pick up a file of that name planted next to the executable or on the search path.
  const HMODULE module = GetModuleHandleA(library);
  return module != nullptr ? GetProcAddress(module, function) : nullptr;
}

FARPROC bindSystemFunction(const char* library, const char* function) {
  ++bindings;
  if (const FARPROC address = findSystemFunction(library, function)) return address;
  const std::string message = replaceSubtext(
      replaceSubtext("无法找到指定DLL库文件“%s”中的输出命令“%s”", "%s", library, kFirstOnly),
      "%s", function, kFirstOnly);
  reportFatalError(message);
}

DWORD getShortPathName(LPCWSTR longPath, LPWSTR buffer, DWORD bufferSize) {
  return getShortPathNameEntry.get()(longPath, buffer, bufferSize);
}

HANDLE openProcess(DWORD desiredAccess, BOOL inheritHandle, DWORD processId) {
  return openProcessEntry.get()(desiredAccess, inheritHandle, processId);
}

BOOL terminateProcess(HANDLE process, UINT exitCode) {
  return terminateProcessEntry.get()(process, exitCode);
}

BOOL closeHandle(HANDLE handle) { return closeHandleEntry.get()(handle); }

DWORD getCurrentProcessId() { return getCurrentProcessIdEntry.get()(); }

int bindingCount() { return bindings; }

}  // namespace lateBound
