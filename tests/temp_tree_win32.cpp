#include "core/windows.h"
#include "tests/temp_tree.h"
#include "tests/temp_tree_platform.h"

namespace ostrivel::testing {

namespace {
const wchar_t* Wide(const Text& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }
}  // namespace

std::filesystem::path NativePath(const Text& path) { return std::filesystem::path(Wide(path)); }

Text PathText(const std::filesystem::path& path) {
  const std::wstring& w = path.native();
  return Text(reinterpret_cast<const char16_t*>(w.data()), w.size());
}

bool MakeLink(const Text& link, const Text& target, bool toDirectory) {
  const DWORD flags = (toDirectory ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) |
                      SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE;
  // Wine answers success without making anything: only a link that is there counts.
  return CreateSymbolicLinkW(Wide(link), Wide(target), flags) != 0 &&
         (GetFileAttributesW(Wide(link)) & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
         GetFileAttributesW(Wide(link)) != INVALID_FILE_ATTRIBUTES;
}

bool SetEntryWriteTime(const Text& path, uint64_t fileTime) {
  HANDLE h = CreateFileW(
      Wide(path), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  FILETIME t;
  t.dwLowDateTime = static_cast<DWORD>(fileTime);
  t.dwHighDateTime = static_cast<DWORD>(fileTime >> 32);
  const bool ok = SetFileTime(h, nullptr, nullptr, &t) != 0;
  CloseHandle(h);
  return ok;
}

char16_t TempTree::Separator() const { return u'\\'; }

}  // namespace ostrivel::testing
