// One owner per kind of Win32 resource: non-copyable, movable, and the destructor makes the one
// release call.
#pragma once

#include <windows.h>

#include <utility>

template <typename Traits>
class UniqueResource {
 public:
  using Value = typename Traits::Value;

  UniqueResource() = default;
  explicit UniqueResource(Value value) : value_(value) {}
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~UniqueResource() { reset(); }

  Value get() const { return value_; }
  bool valid() const { return value_ != Traits::invalid(); }
  explicit operator bool() const { return valid(); }

  Value release() { return std::exchange(value_, Traits::invalid()); }
  void reset(Value value = Traits::invalid()) {
    const Value old = std::exchange(value_, value);
    if (old != Traits::invalid()) Traits::close(old);
  }

 private:
  Value value_ = Traits::invalid();
};

struct FileHandleTraits {  // CreateFileA: INVALID_HANDLE_VALUE on failure
  using Value = HANDLE;
  static Value invalid() { return INVALID_HANDLE_VALUE; }
  static void close(Value h) { ::CloseHandle(h); }
};
struct KernelHandleTraits {  // processes, threads, events: null on failure
  using Value = HANDLE;
  static Value invalid() { return nullptr; }
  static void close(Value h) { ::CloseHandle(h); }
};
struct FindHandleTraits {
  using Value = HANDLE;
  static Value invalid() { return INVALID_HANDLE_VALUE; }
  static void close(Value h) { ::FindClose(h); }
};
template <class Object>
struct GdiObjectTraits {  // fonts, bitmaps: DeleteObject
  using Value = Object;
  static Value invalid() { return nullptr; }
  static void close(Value o) { ::DeleteObject(o); }
};
struct MemoryDcTraits {  // CreateCompatibleDC
  using Value = HDC;
  static Value invalid() { return nullptr; }
  static void close(Value dc) { ::DeleteDC(dc); }
};

struct DestroyWindowTraits {  // a window of our own that no parent or owner destroys for us
  using Value = HWND;
  static Value invalid() { return nullptr; }
  static void close(Value w) { ::DestroyWindow(w); }
};

using FileHandle = UniqueResource<FileHandleTraits>;
using KernelHandle = UniqueResource<KernelHandleTraits>;
using FindHandle = UniqueResource<FindHandleTraits>;
using FontHandle = UniqueResource<GdiObjectTraits<HFONT>>;
using BitmapHandle = UniqueResource<GdiObjectTraits<HBITMAP>>;
using MemoryDC = UniqueResource<MemoryDcTraits>;
using WindowHandle = UniqueResource<DestroyWindowTraits>;

// A window's client-area DC for one scope.
class WindowDC {
 public:
  explicit WindowDC(HWND window) : window_(window), dc_(::GetDC(window)) {}
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  ~WindowDC() {
    if (dc_ != nullptr) ::ReleaseDC(window_, dc_);
  }
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// One WM_PAINT: BeginPaint on construction, EndPaint on destruction.
class PaintSession {
 public:
  explicit PaintSession(HWND window) : window_(window), dc_(::BeginPaint(window, &paint_)) {}
  PaintSession(const PaintSession&) = delete;
  PaintSession& operator=(const PaintSession&) = delete;
  ~PaintSession() { ::EndPaint(window_, &paint_); }
  HDC dc() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// Selects an object into a DC for one scope and puts the previous one back.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;
  ~ScopedSelect() {
    if (previous_ != nullptr && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
  }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};
