// The file-system primitives on POSIX. They answer as Windows would: a
// symbolic link is a reparse point (with the directory attribute when it
// leads to a directory), times are FILETIMEs, errors are Windows codes.

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "scan/file_system.h"

namespace ostrivel {
namespace {

constexpr uint32_t kAttrNormal = 0x80;
constexpr uint32_t kErrorNotEnoughMemory = 8;
constexpr uint32_t kErrorInvalidParameter = 87;
constexpr uint32_t kErrorCantResolveFilename = 1921;
// Windows sets this bit in codes that are not its own; here it carries an
// errno that has no Windows counterpart the logic tests for.
constexpr uint32_t kErrnoCode = 0x20000000;

constexpr int64_t kSecondsFrom1601To1970 = 11644473600;
constexpr int64_t kTicksPerSecond = 10000000;

// The one place where errno becomes a Windows error code.
uint32_t WindowsError(int error) {
  switch (error) {
    case 0:
      return 0;
    case ENOENT:
      return kErrorFileNotFound;
    case ENOTDIR:
      return kErrorPathNotFound;
    case EACCES:
    case EPERM:
      return kErrorAccessDenied;
    case ENAMETOOLONG:
      return kErrorFilenameExcedRange;
    case ELOOP:
      return kErrorCantResolveFilename;
    case EILSEQ:
      return kErrorInvalidName;
    case EBUSY:
    case ETXTBSY:
      return kErrorSharingViolation;
    case ENOMEM:
      return kErrorNotEnoughMemory;
    case EINVAL:
      return kErrorInvalidParameter;
    case ENOMEDIUM:
      return kErrorNotReady;
    case EHOSTDOWN:
    case EHOSTUNREACH:
      return kErrorBadNetPath;
    default:
      return kErrnoCode | static_cast<uint32_t>(error);
  }
}

// The errno that a Windows code stands for, for its text.
int ErrnoOf(uint32_t code) {
  if ((code & kErrnoCode) != 0) return static_cast<int>(code & ~kErrnoCode);
  switch (code) {
    case kErrorFileNotFound:
      return ENOENT;
    case kErrorPathNotFound:
      return ENOTDIR;
    case kErrorAccessDenied:
      return EACCES;
    case kErrorFilenameExcedRange:
      return ENAMETOOLONG;
    case kErrorCantResolveFilename:
      return ELOOP;
    case kErrorInvalidName:
      return EINVAL;
    case kErrorSharingViolation:
      return EBUSY;
    case kErrorNotEnoughMemory:
      return ENOMEM;
    case kErrorInvalidParameter:
      return EINVAL;
    case kErrorNotReady:
      return ENOMEDIUM;
    case kErrorBadNetPath:
      return EHOSTUNREACH;
    default:
      return 0;
  }
}

// A path as the system takes it; false for one that holds U+0000, which a C
// string would silently cut short.
bool NativePath(const Text& path, std::string& native) {
  if (path.find(u'\0') != Text::npos) return false;
  ToUtf8Lossless(path, native);
  return true;
}

uint64_t FileTimeOf(const struct timespec& t) {
  const int64_t seconds = static_cast<int64_t>(t.tv_sec) + kSecondsFrom1601To1970;
  if (seconds < 0) return 0;
  return static_cast<uint64_t>(seconds) * kTicksPerSecond + static_cast<uint64_t>(t.tv_nsec) / 100;
}

FileId IdOf(const struct stat& st) {
  return FileId{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

// Attributes of an lstat result. `followed` is the stat of what a link leads
// to, when it leads anywhere.
uint32_t AttributesOf(const struct stat& own, const struct stat* followed) {
  if (S_ISLNK(own.st_mode)) {
    return kAttrReparsePoint |
           (followed != nullptr && S_ISDIR(followed->st_mode) ? kAttrDirectory : 0);
  }
  return S_ISDIR(own.st_mode) ? kAttrDirectory : kAttrNormal;
}

// A search entry from the folder's descriptor: one fstatat of the entry, and a
// second only for a symbolic link, to see where it leads.
bool EntryAt(int folder, const char* name, SearchEntry& entry, bool withName = true) {
  struct stat own;
  if (fstatat(folder, name, &own, AT_SYMLINK_NOFOLLOW) != 0) return false;  // gone meanwhile
  struct stat followed;
  const bool isLink = S_ISLNK(own.st_mode);
  const bool leads = isLink && fstatat(folder, name, &followed, 0) == 0;
  entry.attributes = AttributesOf(own, leads ? &followed : nullptr);
  entry.writeTime = FileTimeOf(own.st_mtim);
  // A link has no data of its own (as Windows reports one); other non-regular
  // entries have no size that means anything.
  const uint64_t size = S_ISREG(own.st_mode) ? static_cast<uint64_t>(own.st_size) : 0;
  entry.sizeHigh = static_cast<uint32_t>(size >> 32);
  entry.sizeLow = static_cast<uint32_t>(size);
  if (withName) FromUtf8Lossless(name, entry.name);
  entry.id.reset();
  if (S_ISDIR(own.st_mode)) {
    entry.id = IdOf(own);
  } else if (leads && S_ISDIR(followed.st_mode)) {
    entry.id = IdOf(followed);
  }
  return true;
}

// The entry of a name whose type the directory already tells: the walks over
// a search need only the name and whether it is a directory, so a regular
// file or a directory costs no stat here (the lookup of a file asks for its
// size and time). Links and unknown types are stated as before.
bool EntryFromType(unsigned char type, const char* name, SearchEntry& entry) {
  if (type == DT_UNKNOWN || type == DT_LNK) return false;
  entry.attributes = type == DT_DIR ? kAttrDirectory : kAttrNormal;
  entry.writeTime = 0;
  entry.sizeHigh = 0;
  entry.sizeLow = 0;
  FromUtf8Lossless(name, entry.name);
  entry.id.reset();
  return true;
}

// What a directory's own entry says. Making, removing or renaming an entry in
// it moves its times, so an unchanged state means unchanged entries.
struct DirectoryState {
  dev_t device = 0;
  ino_t inode = 0;
  struct timespec modified {};
  struct timespec changed {};
  off_t size = 0;
  nlink_t links = 0;
};

DirectoryState StateOf(const struct stat& st) {
  return DirectoryState{st.st_dev, st.st_ino, st.st_mtim, st.st_ctim, st.st_size, st.st_nlink};
}

bool SameState(const DirectoryState& a, const DirectoryState& b) {
  return a.device == b.device && a.inode == b.inode && a.modified.tv_sec == b.modified.tv_sec &&
         a.modified.tv_nsec == b.modified.tv_nsec && a.changed.tv_sec == b.changed.tv_sec &&
         a.changed.tv_nsec == b.changed.tv_nsec && a.size == b.size && a.links == b.links;
}

// Whether `searched`, the folder part of a search pattern, is the folder the
// path `checked` names: the pattern adds a "/" unless the path ends in one.
bool SameFolder(const Text& checked, const Text& searched) {
  if (searched.size() == checked.size() + 1 && searched.back() == u'/') {
    return searched.compare(0, checked.size(), checked) == 0;
  }
  return searched == checked;
}

// Whether a change to the directory from `now` on must show in its times. File
// systems stamp times from a coarse clock, some only to the second or two, so
// a change in the same tick as the last one could leave them as they were;
// times that lie clearly in the past cannot stay.
bool Settled(const struct stat& st, const struct timespec& now) {
  constexpr time_t kMargin = 2;
  return st.st_mtim.tv_sec + kMargin < now.tv_sec && st.st_ctim.tv_sec + kMargin < now.tv_sec;
}

constexpr size_t kReadBufferSize = 32768;

// The folder a search was started on. Its descriptor is kept after the search
// for the lookups of its files that follow (FindEntry), until any other
// query. When the whole folder came in one read, that read is kept as well,
// with the folder's state from just before it, and the next search of the same
// folder replays it if the folder is provably as it was: the listing of a
// folder's files and the listing of its subdirectories then cost one read.
struct SearchedFolder {
  int fd = -1;
  Text text;                // absolute, ending in "/", for the lookups
  Text searched;            // the folder as its search named it
  bool lookups = false;     // FindEntry may use the descriptor
  uint64_t generation = 0;  // which search it belongs to
  std::unique_ptr<char[]> listing;
  size_t listingSize = 0;
  DirectoryState before;
  // A read buffer for the next search: a walk starts one search per folder.
  std::unique_ptr<char[]> spare;

  std::unique_ptr<char[]> TakeBuffer() {
    return spare ? std::move(spare) : std::unique_ptr<char[]>(new char[kReadBufferSize]);
  }
  void GiveBack(std::unique_ptr<char[]> buffer) {
    if (!spare) spare = std::move(buffer);
  }

  // Any other query ends the lookups; the descriptor stays only with a kept read.
  void EndLookups() {
    lookups = false;
    ++generation;
    if (!listing) Close();
  }
  void Close() {
    if (fd >= 0) close(fd);
    fd = -1;
    text.clear();
    searched.clear();
    lookups = false;
    if (listing) GiveBack(std::move(listing));
    listingSize = 0;
    ++generation;
  }
};

class PosixSearch;

// The searches not yet closed, innermost last: a walk enters a subdirectory
// while the search of its parent is still open.
using OpenSearches = std::vector<const PosixSearch*>;

// Reads the directory with getdents64 on its descriptor, or replays a kept
// read of it. When it ends, it hands the descriptor (and a read that held the
// whole folder) to the searched folder if no other search or query came
// since, and closes it otherwise.
class PosixSearch : public DirectorySearch {
 public:
  // A new read of `searched` (the folder as the pattern named it); `before`
  // is the folder's state just before it, when known.
  PosixSearch(int fd, Text searched, SearchedFolder& folder, std::optional<DirectoryState> before,
              OpenSearches& open)
      : fd_(fd),
        searched_(std::move(searched)),
        folder_(folder),
        generation_(folder.generation),
        buffer_(folder.TakeBuffer()),
        before_(before),
        open_(open) {
    open_.push_back(this);
  }
  // A replay of the read the searched folder kept; it takes the read over.
  PosixSearch(Text searched, SearchedFolder& folder, OpenSearches& open)
      : fd_(folder.fd),
        searched_(std::move(searched)),
        folder_(folder),
        generation_(folder.generation),
        buffer_(std::move(folder.listing)),
        before_(folder.before),
        open_(open),
        filled_(folder.listingSize),
        reads_(1),
        ended_(true) {
    folder.fd = -1;
    folder.listingSize = 0;
    open_.push_back(this);
  }

  int Fd() const { return fd_; }
  const Text& Searched() const { return searched_; }

  ~PosixSearch() override {
    for (auto it = open_.end(); it != open_.begin();) {
      if (*--it == this) {
        open_.erase(it);
        break;
      }
    }
    if (folder_.generation != generation_ || folder_.text.empty() || folder_.fd >= 0) {
      close(fd_);
    } else {
      folder_.fd = fd_;
      folder_.lookups = true;
      if (ended_ && reads_ == 1 && before_) {
        folder_.listing = std::move(buffer_);
        folder_.listingSize = filled_;
        folder_.before = *before_;
      }
    }
    if (buffer_) folder_.GiveBack(std::move(buffer_));
  }

  bool Next(SearchEntry& entry) override {
    for (;;) {
      if (offset_ >= filled_) {
        if (ended_) return false;
        const long n = syscall(SYS_getdents64, fd_, buffer_.get(), kReadBufferSize);
        if (n < 0) {
          reads_ = 2;  // an error ends the search; what came is not the whole folder
          ended_ = true;
          return false;
        }
        if (n == 0) {
          ended_ = true;
          return false;
        }
        ++reads_;
        filled_ = static_cast<size_t>(n);
        offset_ = 0;
      }
      const char* record = buffer_.get() + offset_;
      unsigned short length;
      std::memcpy(&length, record + kLengthOffset, sizeof length);
      offset_ += length;
      const unsigned char type = static_cast<unsigned char>(record[kTypeOffset]);
      const char* name = record + kNameOffset;
      if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
      // Links and unknown types are stated each time, a replay too: where a
      // link leads can change without the folder changing.
      if (EntryFromType(type, name, entry)) return true;
      if (EntryAt(fd_, name, entry)) return true;
    }
  }

 private:
  // struct linux_dirent64: inode (8), offset (8), record length (2), type (1), name.
  static constexpr size_t kLengthOffset = 16;
  static constexpr size_t kTypeOffset = 18;
  static constexpr size_t kNameOffset = 19;

  const int fd_;
  const Text searched_;
  SearchedFolder& folder_;
  const uint64_t generation_;
  std::unique_ptr<char[]> buffer_;
  const std::optional<DirectoryState> before_;
  OpenSearches& open_;
  size_t filled_ = 0;
  size_t offset_ = 0;
  int reads_ = 0;  // getdents64 calls that returned entries
  bool ended_ = false;
};

// The last lstat of a path, with where a link leads. A query on the same path
// with no other look at the file system in between takes its answer from it:
// a directory's time and the check before its search ask the same thing
// back to back.
//
// A check of a directory that no kept read stands for opens it, and the
// search of it that follows reads that descriptor: one walk of the path
// serves both.
struct LastStat {
  bool valid = false;
  Text path;
  int error = 0;
  struct stat own {};
  bool leads = false;
  struct stat followed {};
  int fd = -1;  // the directory itself, when the check opened it

  void Drop() {
    if (fd >= 0) close(fd);
    fd = -1;
    valid = false;
  }
};

class PosixFileSystem : public FileSystem {
 public:
  PathStyle Style() const override { return PathStyle::Posix; }

  std::unique_ptr<DirectorySearch> SearchFolder(const Text& pattern, SearchEntry& first) override {
    if (pattern.empty() || pattern.back() != u'*') return nullptr;
    Text folder = pattern.substr(0, pattern.size() - 1);
    if (folder.empty()) folder = u".";
    std::string& native = native_;
    if (!NativePath(folder, native)) return nullptr;
    std::unique_ptr<PosixSearch> search;
    if (CanReplay(folder)) {
      last_.Drop();
      ++folder_.generation;
      folder_.lookups = false;
      search = std::make_unique<PosixSearch>(std::move(folder), folder_, open_);
    } else {
      // A read can be kept only of a folder that the check just before opened
      // itself, settled: its state is then that of the very directory read,
      // what a later search compares with.
      int fd = -1;
      std::optional<DirectoryState> before;
      if (last_.valid && last_.fd >= 0 && SameFolder(last_.path, folder)) {
        std::swap(fd, last_.fd);
        struct timespec now {};
        if (clock_gettime(CLOCK_REALTIME_COARSE, &now) == 0 && Settled(last_.own, now)) {
          before = StateOf(last_.own);
        }
      }
      last_.Drop();
      if (fd < 0) fd = OpenFolder(folder, native);
      if (fd < 0) return nullptr;
      RememberFolder(folder);
      search = std::make_unique<PosixSearch>(fd, std::move(folder), folder_, before, open_);
    }
    // As FindFirstFileW: a folder with nothing in it matches nothing.
    if (!search->Next(first)) return nullptr;
    return search;
  }

  bool FindEntry(const Text& path, SearchEntry& entry) override {
    last_.Drop();
    // A file of the folder searched last (the listing's lookups follow its
    // search) is stated relative to that folder, without walking the path or
    // converting it whole. Not found there, the path itself decides (the
    // folder may have been moved away since).
    const Text& folder = folder_.text;
    if (folder_.lookups && folder_.fd >= 0 && path.size() > folder.size() &&
        path.compare(0, folder.size(), folder) == 0) {
      const TextView rest = TextView(path).substr(folder.size());
      if (rest.find_first_of(TextView(u"/\0", 2)) == TextView::npos) {
        ToUtf8Lossless(rest, name_);
        if (EntryAt(folder_.fd, name_.c_str(), entry, false)) {
          // Text without surrogates comes back from UTF-8 as it was.
          if (std::none_of(rest.begin(), rest.end(),
                           [](char16_t c) { return c >= 0xD800 && c <= 0xDFFF; })) {
            entry.name.assign(rest);
          } else {
            FromUtf8Lossless(name_, entry.name);
          }
          entry.id.reset();
          return true;
        }
      }
    }
    std::string& native = native_;
    if (!NativePath(path, native) || native.empty() || native.back() == '/') return false;
    if (!EntryAt(AT_FDCWD, native.c_str(), entry, false)) return false;
    const size_t slash = native.rfind('/');
    FromUtf8Lossless(std::string_view(native).substr(slash == std::string::npos ? 0 : slash + 1),
                     entry.name);
    entry.id.reset();
    return true;
  }

  bool GetAttributes(const Text& path, uint32_t& attributes, uint32_t& error) override {
    folder_.EndLookups();
    AttributeData data;
    if (!Attributes(path, data, error)) return false;
    attributes = data.attributes;
    return true;
  }

  bool GetAttributeData(const Text& path, AttributeData& data) override {
    folder_.EndLookups();
    uint32_t error = 0;
    return Attributes(path, data, error);
  }

  bool OpenFollowingLinks(const Text& path, uint32_t& error) override {
    Forget();
    std::string native;
    if (!NativePath(path, native)) {
      error = kErrorInvalidName;
      return false;
    }
    struct stat st;
    if (stat(native.c_str(), &st) != 0) {
      error = WindowsError(errno);
      return false;
    }
    return true;
  }

  Text FullPath(const Text& path, uint32_t& error) override {
    error = 0;
    // An empty path names nothing, as for realpath.
    if (path.empty()) {
      error = kErrorFileNotFound;
      return Text();
    }
    if (path.find(u'\0') != Text::npos) {
      error = kErrorInvalidName;
      return Text();
    }
    if (path[0] == u'/') return path;
    std::string cwd(256, '\0');
    while (getcwd(cwd.data(), cwd.size()) == nullptr) {
      if (errno != ERANGE) {
        error = WindowsError(errno);
        return Text();
      }
      cwd.resize(cwd.size() * 2);
    }
    cwd.resize(std::strlen(cwd.c_str()));
    Text full = FromUtf8Lossless(cwd);
    if (full.empty() || full.back() != u'/') full += u'/';
    return full + path;
  }

  VolumeCheck ExamineVolume(const Text&, uint32_t& error) override {
    folder_.EndLookups();
    // Every POSIX file system has symbolic links, and finding a link's target
    // needs nothing of the volume.
    error = 0;
    return VolumeCheck::SupportsReparsePoints;
  }

  bool FinalPath(const Text& path, Text& target) override {
    Forget();
    std::string native;
    if (!NativePath(path, native)) return false;
    char* resolved = realpath(native.c_str(), nullptr);
    if (resolved == nullptr) return false;
    target = FromUtf8Lossless(resolved);
    free(resolved);
    return true;
  }

  bool Identity(const Text& path, FileId& id) override {
    Forget();
    std::string native;
    struct stat st;
    if (!NativePath(path, native) || stat(native.c_str(), &st) != 0) return false;
    id = IdOf(st);
    return true;
  }

  bool FileTimeToLocalFields(uint64_t fileTime, CalendarFields& fields) override {
    // FILETIMEs from 2^63 on are rejected by the Windows conversions.
    if (fileTime >= (1ULL << 63)) return false;
    const time_t seconds = static_cast<time_t>(static_cast<int64_t>(fileTime / kTicksPerSecond) -
                                               kSecondsFrom1601To1970);
    struct tm tm;
    if (localtime_r(&seconds, &tm) == nullptr) return false;
    // The local FILETIME must lie in the same range.
    int64_t local = 0;
    if (__builtin_add_overflow(static_cast<int64_t>(fileTime),
                               static_cast<int64_t>(tm.tm_gmtoff) * kTicksPerSecond, &local) ||
        local < 0) {
      return false;
    }
    fields.year = tm.tm_year + 1900;
    fields.month = tm.tm_mon + 1;
    fields.day = tm.tm_mday;
    fields.hour = tm.tm_hour;
    fields.minute = tm.tm_min;
    fields.second = tm.tm_sec > 59 ? 59 : tm.tm_sec;  // a leap second
    fields.millisecond = static_cast<int>((fileTime % kTicksPerSecond) / 10000);
    fields.dayOfWeek = tm.tm_wday;
    return true;
  }

  Text ErrorText(uint32_t code) override {
    const int e = ErrnoOf(code);
    if (e == 0) return u"System error " + Decimal(code);
    char buffer[256];
    const char* text = strerror_r(e, buffer, sizeof buffer);
    Text result = FromUtf8Lossless(text);
    while (!result.empty() && (result.back() <= u' ' || result.back() == u'.')) result.pop_back();
    return result;
  }

 private:
  // A query that looks at the file system other than through the last lstat.
  void Forget() {
    folder_.EndLookups();
    last_.Drop();
  }

  // A subdirectory of the innermost open search (a walk entering what it
  // just read) is opened relative to that search's descriptor: one name looked
  // up in the very directory being read, not the whole path again. A path
  // the system refuses as too long is still refused.
  int OpenFolder(const Text& folder, const std::string& native) {
    constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    if (!open_.empty() && native.size() < PATH_MAX) {
      const Text& parent = open_.back()->Searched();
      if (!parent.empty() && parent.back() == u'/' && folder.size() > parent.size() + 1 &&
          folder.back() == u'/' && folder.compare(0, parent.size(), parent) == 0) {
        const TextView name =
            TextView(folder).substr(parent.size(), folder.size() - parent.size() - 1);
        if (name.find(u'/') == TextView::npos && name != u"." && name != u"..") {
          ToUtf8Lossless(name, name_);
          return openat(open_.back()->Fd(), name_.c_str(), kFlags);
        }
      }
    }
    return open(native.c_str(), kFlags);
  }

  // Whether the folder's kept read still shows it: the check just made (after
  // that read) found the same directory at the path in the same state. The
  // state kept is that of the kept descriptor itself, taken when the check
  // before the read opened it, so the same device and inode are that
  // directory.
  bool CanReplay(const Text& folder) const {
    if (!folder_.listing || folder_.fd < 0 || folder_.searched != folder) return false;
    if (!last_.valid || last_.error != 0 || !SameFolder(last_.path, folder) ||
        !S_ISDIR(last_.own.st_mode)) {
      return false;
    }
    return SameState(StateOf(last_.own), folder_.before);
  }

  // The folder's absolute form ending in "/", for FindEntry; its descriptor
  // follows when the search ends.
  void RememberFolder(const Text& folder) {
    folder_.Close();
    folder_.searched = folder;
    // Assigned into the room the last folder left: one search per folder.
    if (folder[0] == u'/') {
      folder_.text = folder;
    } else {
      uint32_t error = 0;
      folder_.text = FullPath(folder, error);
      if (folder_.text.empty()) return;
    }
    if (folder_.text.back() != u'/') folder_.text.push_back(u'/');
  }

  bool Attributes(const Text& path, AttributeData& data, uint32_t& error) {
    if (!last_.valid || last_.path != path) {
      std::string& native = native_;
      if (!NativePath(path, native)) {
        error = kErrorInvalidName;
        return false;
      }
      last_.Drop();
      last_.valid = true;
      last_.path = path;
      last_.leads = false;
      // Opened without following a link, a directory is what lstat would see.
      const bool kept = folder_.listing && folder_.fd >= 0 && SameFolder(path, folder_.searched);
      if (!kept && !native.empty() && native.back() != '/') {
        last_.fd = open(native.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (last_.fd >= 0 && fstat(last_.fd, &last_.own) != 0) {
          close(last_.fd);
          last_.fd = -1;
        }
      }
      if (last_.fd >= 0) {
        last_.error = 0;
      } else {
        last_.error = lstat(native.c_str(), &last_.own) == 0 ? 0 : errno;
        last_.leads = last_.error == 0 && S_ISLNK(last_.own.st_mode) &&
                      stat(native.c_str(), &last_.followed) == 0;
      }
    }
    if (last_.error != 0) {
      error = WindowsError(last_.error);
      return false;
    }
    data.attributes = AttributesOf(last_.own, last_.leads ? &last_.followed : nullptr);
    data.writeTime = FileTimeOf(last_.own.st_mtim);
    return true;
  }

  SearchedFolder folder_;
  LastStat last_;
  OpenSearches open_;
  // Scratch for the native forms of paths and names, whose room is reused.
  std::string native_;
  std::string name_;
};

}  // namespace

FileSystem& SystemFileSystem() {
  static PosixFileSystem fileSystem;
  return fileSystem;
}

std::unique_ptr<FileSystem> NewSystemFileSystem() { return std::make_unique<PosixFileSystem>(); }

}  // namespace ostrivel
