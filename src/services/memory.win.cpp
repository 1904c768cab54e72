// Every allocation of the program comes from the process heap; one that cannot be met is fatal.
#include <windows.h>

#include <new>

#include "services/fatal.hpp"

namespace {

void* allocateMemory(std::size_t size) {
  if (void* block = HeapAlloc(GetProcessHeap(), 0, size != 0 ? size : 1)) return block;
  char message[64];  // wsprintfA: the C runtime's printf would bring its floating-point formatter
  wsprintfA(message, "分配 %lu 字节内存失败!", static_cast<unsigned long>(size));
  reportFatalError(message);
}

void releaseMemory(void* block) noexcept {
  if (block != nullptr) HeapFree(GetProcessHeap(), 0, block);
}

}  // namespace

void* operator new(std::size_t size) { return allocateMemory(size); }
void* operator new[](std::size_t size) { return allocateMemory(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocateMemory(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocateMemory(size); }
void operator delete(void* block) noexcept { releaseMemory(block); }
void operator delete[](void* block) noexcept { releaseMemory(block); }
void operator delete(void* block, std::size_t) noexcept { releaseMemory(block); }
void operator delete[](void* block, std::size_t) noexcept { releaseMemory(block); }
