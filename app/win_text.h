#pragma once
// Text is UTF-16 and so is wchar_t on Windows: the two convert by a cast.

#include <string>

#include "core/text.h"
#include "core/windows.h"

namespace ostrivel {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

inline const wchar_t* W(const Text& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }
inline Text FromW(const wchar_t* text) { return Text(reinterpret_cast<const char16_t*>(text)); }
inline Text FromW(const wchar_t* text, size_t length) {
  return Text(reinterpret_cast<const char16_t*>(text), length);
}

// The whole text of a window or control.
inline Text WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, buffer.data(), length + 1);
  return FromW(buffer.data(), static_cast<size_t>(copied > 0 ? copied : 0));
}

inline void SetText(HWND window, const Text& text) { SetWindowTextW(window, W(text)); }

// The full path of this process's executable, of any length.
inline Text ModuleFileName() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n < buffer.size()) return FromW(buffer.data(), n);
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace ostrivel
