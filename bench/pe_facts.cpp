#include "pe_facts.hpp"

#include <windows.h>

#include <cstring>
#include <fstream>
#include <iterator>

namespace {

template <typename T>
bool readAt(const std::string& image, std::size_t offset, T& value) {
  if (offset > image.size() || image.size() - offset < sizeof value) return false;
  std::memcpy(&value, image.data() + offset, sizeof value);
  return true;
}

// The file offset of a relative virtual address, through the section table.
bool fileOffsetOf(const std::string& image, std::size_t sections, WORD sectionCount, DWORD rva, std::size_t& offset) {
  for (WORD i = 0; i < sectionCount; ++i) {
    IMAGE_SECTION_HEADER section;
    if (!readAt(image, sections + i * sizeof section, section)) return false;
    const DWORD size = section.Misc.VirtualSize != 0 ? section.Misc.VirtualSize : section.SizeOfRawData;
    if (rva >= section.VirtualAddress && rva < section.VirtualAddress + size) {
      offset = rva - section.VirtualAddress + section.PointerToRawData;
      return true;
    }
  }
  return false;
}

}  // namespace

PeFacts readPeFacts(const std::string& path) {
  PeFacts facts;
  std::ifstream file(path, std::ios::binary);
  if (!file) return facts;
  const std::string image((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  facts.fileBytes = image.size();

  IMAGE_DOS_HEADER dos;
  DWORD signature = 0;
  IMAGE_FILE_HEADER header;
  WORD magic = 0;
  if (!readAt(image, 0, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE) return facts;
  const std::size_t ntOffset = static_cast<std::size_t>(dos.e_lfanew);
  if (!readAt(image, ntOffset, signature) || signature != IMAGE_NT_SIGNATURE) return facts;
  if (!readAt(image, ntOffset + 4, header)) return facts;
  const std::size_t optional = ntOffset + 4 + sizeof header;
  if (!readAt(image, optional, magic)) return facts;
  facts.is64Bit = magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC;

  // The data directories sit at different places in the 32- and 64-bit optional headers.
  IMAGE_DATA_DIRECTORY imports{};
  const std::size_t directories = optional + (facts.is64Bit ? offsetof(IMAGE_OPTIONAL_HEADER64, DataDirectory)
                                                            : offsetof(IMAGE_OPTIONAL_HEADER32, DataDirectory));
  if (!readAt(image, directories + IMAGE_DIRECTORY_ENTRY_IMPORT * sizeof imports, imports)) return facts;
  const std::size_t sections = optional + header.SizeOfOptionalHeader;

  std::size_t descriptorOffset = 0;
  if (imports.VirtualAddress != 0 &&
      !fileOffsetOf(image, sections, header.NumberOfSections, imports.VirtualAddress, descriptorOffset)) {
    return facts;
  }
  for (std::size_t at = descriptorOffset; imports.VirtualAddress != 0; at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
    IMAGE_IMPORT_DESCRIPTOR descriptor;
    if (!readAt(image, at, descriptor)) return facts;
    if (descriptor.Name == 0) break;
    std::size_t nameOffset = 0;
    if (!fileOffsetOf(image, sections, header.NumberOfSections, descriptor.Name, nameOffset) ||
        nameOffset >= image.size()) {
      return facts;
    }
    facts.importedDlls.emplace_back(image.c_str() + nameOffset);
  }
  facts.readable = true;
  return facts;
}

bool isSystemDll(const std::string& name) {
  char system[MAX_PATH];
  const UINT length = GetSystemDirectoryA(system, sizeof system);
  if (length == 0 || length >= sizeof system) return false;
  return GetFileAttributesA((std::string(system) + "\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES;
}
