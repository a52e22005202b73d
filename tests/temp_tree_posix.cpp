#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/temp_tree.h"
#include "tests/temp_tree_platform.h"

namespace ostrivel::testing {

// Bytes as they are, so that names which are not UTF-8 can be made too.
std::filesystem::path NativePath(const Text& path) { return std::filesystem::path(Utf8(path)); }

Text PathText(const std::filesystem::path& path) { return U(path.native()); }

bool MakeLink(const Text& link, const Text& target, bool) {
  return symlink(Utf8(target).c_str(), Utf8(link).c_str()) == 0;
}

bool SetEntryWriteTime(const Text& path, uint64_t fileTime) {
  const int64_t ticks = static_cast<int64_t>(fileTime) - 116444736000000000LL;
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = static_cast<time_t>(ticks / 10000000);
  times[1].tv_nsec = static_cast<long>(ticks % 10000000) * 100;
  if (times[1].tv_nsec < 0) {
    times[1].tv_nsec += 1000000000;
    times[1].tv_sec -= 1;
  }
  return utimensat(AT_FDCWD, Utf8(path).c_str(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

char16_t TempTree::Separator() const { return u'/'; }

}  // namespace ostrivel::testing
