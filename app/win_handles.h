#pragma once
// Small owners for the Windows resources the program holds, so that no path
// out of a function (a failure included) leaks one.

#include <objidl.h>

#include <utility>

#include "core/windows.h"

namespace ostrivel {

// A GDI object (font, brush) deleted with DeleteObject.
template <typename H>
class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(H handle) : handle_(handle) {}
  GdiObject(GdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  GdiObject& operator=(GdiObject&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.handle_, nullptr));
    return *this;
  }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  ~GdiObject() { Reset(); }

  H Get() const { return handle_; }
  void Reset(H handle = nullptr) {
    if (handle_) DeleteObject(handle_);
    handle_ = handle;
  }

 private:
  H handle_ = nullptr;
};

using FontHandle = GdiObject<HFONT>;

// A kernel handle closed with CloseHandle; INVALID_HANDLE_VALUE counts as none.
class KernelHandle {
 public:
  explicit KernelHandle(HANDLE handle) : handle_(handle) {}
  KernelHandle(const KernelHandle&) = delete;
  KernelHandle& operator=(const KernelHandle&) = delete;
  ~KernelHandle() {
    if (Valid()) CloseHandle(handle_);
  }
  bool Valid() const { return handle_ && handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

// A COM interface pointer, released once.
template <typename I>
class ComRef {
 public:
  ComRef() = default;
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  ~ComRef() {
    if (ptr_) ptr_->Release();
  }
  I** Out() { return &ptr_; }
  I* Get() const { return ptr_; }
  I* operator->() const { return ptr_; }
  explicit operator bool() const { return ptr_ != nullptr; }

 private:
  I* ptr_ = nullptr;
};

// Memory of the shell's task allocator, freed with that allocator.
template <typename T>
class ShellMemory {
 public:
  ShellMemory(IMalloc* allocator, T* ptr) : allocator_(allocator), ptr_(ptr) {}
  ShellMemory(const ShellMemory&) = delete;
  ShellMemory& operator=(const ShellMemory&) = delete;
  ~ShellMemory() {
    if (ptr_) allocator_->Free(ptr_);
  }
  T* Get() const { return ptr_; }

 private:
  IMalloc* allocator_;
  T* ptr_;
};

// A device context obtained with GetDC, released with ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// Selects a GDI object into a device context for the life of the owner.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;
  ~SelectedObject() { SelectObject(dc_, previous_); }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace ostrivel
