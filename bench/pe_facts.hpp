// What an executable file says about itself: its size, whether it is 32- or 64-bit, and the DLLs
// its import table names.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PeFacts {
  bool readable = false;
  std::uint64_t fileBytes = 0;
  bool is64Bit = false;
  std::vector<std::string> importedDlls;  // as the import table spells them, in its order
};

PeFacts readPeFacts(const std::string& path);

// True when a DLL of that name lies in the system directory (a system DLL, not one of ours).
bool isSystemDll(const std::string& name);
