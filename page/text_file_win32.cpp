// Text files on Windows: CreateFileW with the access and sharing the load and
// the save ask for, the ANSI code page, FormatMessageW for error texts.

#include <algorithm>
#include <climits>
#include <string>

#include "core/windows.h"
#include "page/text_file.h"

namespace ostrivel {
namespace {

const wchar_t* Wide(const Text& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

class Win32File : public OpenTextFile {
 public:
  explicit Win32File(HANDLE handle) : handle_(handle) {}
  ~Win32File() override { CloseHandle(handle_); }

  bool ReadAll(std::string& bytes) override {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(handle_, &size)) return false;
    bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
    // One ReadFile takes a regular file whole; only one beyond 4 GB needs
    // more than one.
    size_t have = 0;
    while (have < bytes.size()) {
      const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - have, 0x7FFFFFFF));
      DWORD got = 0;
      if (!ReadFile(handle_, bytes.data() + have, want, &got, nullptr)) return false;
      if (got == 0) break;
      have += got;
    }
    bytes.resize(have);
    return true;
  }

  size_t Write(std::string_view bytes) override {
    const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size(), 0x7FFFFFFF));
    DWORD written = 0;
    if (!WriteFile(handle_, bytes.data(), want, &written, nullptr)) return 0;
    return written;
  }

 private:
  HANDLE handle_;
};

class Win32TextFiles : public TextFiles {
 public:
  std::unique_ptr<OpenTextFile> OpenForRead(const Text& path, uint32_t& error) override {
    return Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, error);
  }

  std::unique_ptr<OpenTextFile> Create(const Text& path, uint32_t& error) override {
    return Open(path, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS, error);
  }

  bool Remove(const Text& path) override { return DeleteFileW(Wide(path)) != 0; }

  Text FullPath(const Text& path) override {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
      const DWORD length =
          GetFullPathNameW(Wide(path), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
      if (length == 0) return path;
      if (length < buffer.size()) {
        return Text(reinterpret_cast<const char16_t*>(buffer.data()), length);
      }
      buffer.assign(length, L'\0');  // too small: length is the size needed
    }
  }

  Text ErrorText(uint32_t code) override {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    Text text;
    if (length != 0 && buffer) text.assign(reinterpret_cast<const char16_t*>(buffer), length);
    if (buffer) LocalFree(buffer);
    return text;
  }

  uint32_t SystemCodePage() override { return GetACP(); }

  Text Decode(uint32_t codePage, bool strict, std::string_view bytes) override {
    if (bytes.empty() || bytes.size() > INT_MAX) return {};
    const DWORD flags = strict ? MB_ERR_INVALID_CHARS : 0;
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, flags, bytes.data(), size, text.data(), length);
    return Text(reinterpret_cast<const char16_t*>(text.data()), text.size());
  }

  std::string Encode(uint32_t codePage, TextView text) override {
    if (text.empty() || text.size() > INT_MAX) return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int size = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(codePage, 0, wide, size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string bytes(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, wide, size, bytes.data(), length, nullptr, nullptr);
    return bytes;
  }

 private:
  static std::unique_ptr<OpenTextFile> Open(const Text& path, DWORD access, DWORD sharing,
                                            DWORD disposition, uint32_t& error) {
    const HANDLE handle = CreateFileW(Wide(path), access, sharing, nullptr, disposition,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      error = GetLastError();
      return nullptr;
    }
    return std::make_unique<Win32File>(handle);
  }
};

}  // namespace

TextFiles& SystemTextFiles() {
  static Win32TextFiles files;
  return files;
}

}  // namespace ostrivel
