// The file-system primitives on Windows: the Windows calls themselves.

#include <cwchar>
#include <string>

#include "core/windows.h"
#include "scan/file_system.h"

namespace ostrivel {
namespace {

const wchar_t* Wide(const Text& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

// A path holding U+0000 would reach Windows cut short at it: refused instead.
bool Usable(const Text& path) { return path.find(u'\0') == Text::npos; }

uint64_t FileTimeOf(const FILETIME& t) {
  return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

void FillEntry(const WIN32_FIND_DATAW& data, SearchEntry& entry) {
  entry.attributes = data.dwFileAttributes;
  entry.writeTime = FileTimeOf(data.ftLastWriteTime);
  entry.sizeHigh = data.nFileSizeHigh;
  entry.sizeLow = data.nFileSizeLow;
  const size_t length = wcsnlen(data.cFileName, MAX_PATH);
  entry.name.assign(reinterpret_cast<const char16_t*>(data.cFileName), length);
  entry.id.reset();
}

class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }
  bool valid() const { return h_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE h_;
};

class FindHandle {
 public:
  explicit FindHandle(HANDLE h) : h_(h) {}
  ~FindHandle() {
    if (h_ != INVALID_HANDLE_VALUE) FindClose(h_);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

class WindowsSearch : public DirectorySearch {
 public:
  explicit WindowsSearch(HANDLE h) : handle_(h) {}
  bool Next(SearchEntry& entry) override {
    WIN32_FIND_DATAW data;
    if (!FindNextFileW(handle_.get(), &data)) return false;
    FillEntry(data, entry);
    return true;
  }

 private:
  FindHandle handle_;
};

// Opened for what it is, links followed, without asking for any access to
// its contents, so that files other programs hold are no obstacle.
HANDLE OpenForQuery(const Text& path) {
  return CreateFileW(Wide(path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// "C:\" for C:\x, "\\server\share\" for \\server\share\x, with the long
// prefixes kept; empty when the path has neither.
Text VolumeRoot(const Text& full) {
  auto sep = [](char16_t c) { return c == u'\\' || c == u'/'; };
  size_t skip = 0;
  bool unc = false;
  if (full.rfind(u"\\\\?\\UNC\\", 0) == 0) {
    skip = 8;
    unc = true;
  } else if (full.rfind(u"\\\\?\\", 0) == 0) {
    skip = 4;
  } else if (full.size() >= 2 && sep(full[0]) && sep(full[1])) {
    skip = 2;
    unc = true;
  }
  if (!unc) {
    if (full.size() >= skip + 2 && full[skip + 1] == u':') return full.substr(0, skip + 2) + u"\\";
    return Text();
  }
  size_t server = skip;
  while (server < full.size() && !sep(full[server])) ++server;
  size_t share = server + 1;
  while (share < full.size() && !sep(full[share])) ++share;
  if (server >= full.size()) return Text();
  return full.substr(0, share) + u"\\";
}

class WindowsFileSystem : public FileSystem {
 public:
  PathStyle Style() const override { return PathStyle::Windows; }

  std::unique_ptr<DirectorySearch> SearchFolder(const Text& pattern, SearchEntry& first) override {
    if (!Usable(pattern)) return nullptr;
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(Wide(pattern), &data);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    FillEntry(data, first);
    return std::make_unique<WindowsSearch>(h);
  }

  bool FindEntry(const Text& path, SearchEntry& entry) override {
    if (!Usable(path)) return false;
    WIN32_FIND_DATAW data;
    FindHandle h(FindFirstFileW(Wide(path), &data));
    if (h.get() == INVALID_HANDLE_VALUE) return false;
    FillEntry(data, entry);
    // A name holding '*' or '?' (Wine shows such Linux names) is taken as a
    // pattern: the entry must be the one of that very name, not any match.
    const size_t cut = path.find_last_of(u"\\/");
    const Text name = cut == Text::npos ? path : path.substr(cut + 1);
    if (name.find_first_of(u"*?") == Text::npos) return true;
    for (;;) {
      if (entry.name == name) return true;
      if (!FindNextFileW(h.get(), &data)) return false;
      FillEntry(data, entry);
    }
  }

  bool GetAttributes(const Text& path, uint32_t& attributes, uint32_t& error) override {
    if (!Usable(path)) {
      error = ERROR_INVALID_NAME;
      return false;
    }
    const DWORD a = GetFileAttributesW(Wide(path));
    if (a == INVALID_FILE_ATTRIBUTES) {
      error = GetLastError();
      return false;
    }
    attributes = a;
    return true;
  }

  bool GetAttributeData(const Text& path, AttributeData& data) override {
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (!Usable(path) || !GetFileAttributesExW(Wide(path), GetFileExInfoStandard, &d)) return false;
    data.attributes = d.dwFileAttributes;
    data.writeTime = FileTimeOf(d.ftLastWriteTime);
    return true;
  }

  bool OpenFollowingLinks(const Text& path, uint32_t& error) override {
    if (!Usable(path)) {
      error = ERROR_INVALID_NAME;
      return false;
    }
    Handle h(CreateFileW(Wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h.valid()) {
      error = GetLastError();
      return false;
    }
    return true;
  }

  Text FullPath(const Text& path, uint32_t& error) override {
    if (!Usable(path)) {
      error = ERROR_INVALID_NAME;
      return Text();
    }
    std::wstring buffer(MAX_PATH, L'\0');
    SetLastError(0);
    DWORD n =
        GetFullPathNameW(Wide(path), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (n > buffer.size()) {
      buffer.resize(n);
      n = GetFullPathNameW(Wide(path), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
      if (n >= buffer.size()) n = 0;  // it changed meanwhile
    }
    error = GetLastError();
    return Text(reinterpret_cast<const char16_t*>(buffer.data()), n);
  }

  VolumeCheck ExamineVolume(const Text& path, uint32_t& error) override {
    uint32_t ignored = 0;
    const Text root = VolumeRoot(FullPath(path, ignored));
    DWORD flags = 0;
    if (root.empty() ||
        !GetVolumeInformationW(Wide(root), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0)) {
      error = root.empty() ? ERROR_INVALID_NAME : GetLastError();
      return VolumeCheck::CannotExamine;
    }
    error = 0;
    return (flags & FILE_SUPPORTS_REPARSE_POINTS) != 0 ? VolumeCheck::SupportsReparsePoints
                                                       : VolumeCheck::NoReparsePoints;
  }

  bool FinalPath(const Text& path, Text& target) override {
    if (!Usable(path)) return false;
    Handle h(OpenForQuery(path));
    if (!h.valid()) return false;
    std::wstring buffer(MAX_PATH, L'\0');
    DWORD n = GetFinalPathNameByHandleW(h.get(), buffer.data(), static_cast<DWORD>(buffer.size()),
                                        FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n >= buffer.size()) {
      buffer.resize(n + 1);
      n = GetFinalPathNameByHandleW(h.get(), buffer.data(), static_cast<DWORD>(buffer.size()),
                                    FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
      if (n >= buffer.size()) return false;
    }
    if (n == 0) return false;
    Text result(reinterpret_cast<const char16_t*>(buffer.data()), n);
    // Drive-letter form: the long prefix dropped where the path does not need it.
    if (result.size() < MAX_PATH) {
      if (result.rfind(u"\\\\?\\UNC\\", 0) == 0) {
        result = u"\\\\" + result.substr(8);
      } else if (result.rfind(u"\\\\?\\", 0) == 0 && result.size() >= 6 && result[5] == u':') {
        result = result.substr(4);
      }
    }
    target = result;
    return true;
  }

  bool Identity(const Text& path, FileId& id) override {
    if (!Usable(path)) return false;
    Handle h(OpenForQuery(path));
    BY_HANDLE_FILE_INFORMATION info;
    if (!h.valid() || !GetFileInformationByHandle(h.get(), &info)) return false;
    id.volume = info.dwVolumeSerialNumber;
    id.index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
  }

  bool FileTimeToLocalFields(uint64_t fileTime, CalendarFields& fields) override {
    FILETIME utc;
    utc.dwLowDateTime = static_cast<DWORD>(fileTime);
    utc.dwHighDateTime = static_cast<DWORD>(fileTime >> 32);
    FILETIME local;
    SYSTEMTIME st;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st)) return false;
    fields.year = st.wYear;
    fields.month = st.wMonth;
    fields.day = st.wDay;
    fields.hour = st.wHour;
    fields.minute = st.wMinute;
    fields.second = st.wSecond;
    fields.millisecond = st.wMilliseconds;
    fields.dayOfWeek = st.wDayOfWeek;
    return true;
  }

  Text ErrorText(uint32_t code) override {
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    Text text;
    if (n != 0 && buffer != nullptr) text.assign(reinterpret_cast<const char16_t*>(buffer), n);
    if (buffer != nullptr) LocalFree(buffer);
    while (!text.empty() && (text.back() <= u' ' || text.back() == u'.')) text.pop_back();
    return text;
  }
};

}  // namespace

FileSystem& SystemFileSystem() {
  static WindowsFileSystem fileSystem;
  return fileSystem;
}

std::unique_ptr<FileSystem> NewSystemFileSystem() { return std::make_unique<WindowsFileSystem>(); }

}  // namespace ostrivel
