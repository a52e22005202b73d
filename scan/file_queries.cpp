#include "scan/file_queries.h"

#include "page/date_value.h"

namespace ostrivel {
namespace {

const Text kTooLong = u"The specified path is too long";
const Text kFormatNotSupported = u"The path format is not supported";
const Text kInvalidCharacters = u"Invalid characters in path";
const Text kNotFound = u"The specified path was not found";
const Text kDateEncode = u"Invalid argument to date encode";

constexpr TextView kLongPrefix = u"\\\\?\\";
constexpr TextView kLongUncPrefix = u"\\\\?\\UNC\\";

bool StartsWith(TextView text, TextView prefix) {
  return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

bool IsAsciiLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

bool IsBlank(TextView path) {
  for (char16_t c : path) {
    if (c > u' ') return false;
  }
  return true;
}

bool HasInvalidPathChar(TextView text) {
  // No early exit, so that the loop takes many characters at a time: paths
  // and names almost never hold one.
  bool found = false;
  for (const char16_t c : text) found |= IsInvalidPathChar(c);
  return found;
}

bool IsDotName(TextView name) { return name == u"." || name == u".."; }

// The errors of GetFileAttributesW that mean nothing is there.
bool MeansNotFound(uint32_t error) {
  switch (error) {
    case kErrorFileNotFound:
    case kErrorPathNotFound:
    case kErrorNotReady:
    case kErrorBadNetPath:
    case kErrorBadNetName:
    case kErrorInvalidName:
    case kErrorBadPathname:
      return true;
    default:
      return false;
  }
}

// The length of ToUtf8Lossless(text), counted without building it.
size_t Utf8Length(TextView text) {
  size_t length = 0;
  const size_t n = text.size();
  for (size_t i = 0; i < n; ++i) {
    const char16_t c = text[i];
    if (c < 0x80) {
      length += 1;
    } else if (c < 0x800) {
      length += 2;
    } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && text[i + 1] >= 0xDC00 &&
               text[i + 1] <= 0xDFFF) {
      length += 4;
      ++i;
    } else if (c >= 0xDC80 && c <= 0xDCFF) {
      length += 1;  // a byte that was not UTF-8, given back as it was
    } else {
      length += 3;  // the rest of the plane, and U+FFFD for a lone surrogate
    }
  }
  return length;
}

// The textual parent of an absolute path, or nothing at a root.
std::optional<Text> ParentPath(TextView path, PathStyle style) {
  auto isSeparator = [style](char16_t c) {
    return c == u'/' || (style == PathStyle::Windows && c == u'\\');
  };
  size_t end = path.size();
  while (end > 0 && isSeparator(path[end - 1])) --end;
  // The part that no parent strips: "/", "C:\", "\\?\C:\", "\\server\share".
  size_t rootEnd = 0;
  if (style == PathStyle::Posix) {
    rootEnd = 1;
  } else {
    size_t skip = 0;
    if (StartsWith(path, kLongUncPrefix)) {
      skip = kLongUncPrefix.size();
    } else if (StartsWith(path, kLongPrefix)) {
      skip = kLongPrefix.size();
    } else if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
      skip = 2;
    }
    const TextView rest = path.substr(skip);
    if (rest.size() >= 2 && rest[1] == u':') {
      rootEnd = skip + 3;
    } else if (skip > 0) {
      // server\share
      size_t s = rest.find_first_of(u"\\/");
      if (s == TextView::npos) return std::nullopt;
      size_t s2 = rest.find_first_of(u"\\/", s + 1);
      rootEnd = skip + (s2 == TextView::npos ? rest.size() : s2 + 1);
    } else {
      rootEnd = 1;
    }
  }
  if (end <= rootEnd) return std::nullopt;
  size_t cut = end;
  while (cut > 0 && !isSeparator(path[cut - 1])) --cut;
  if (cut == 0) return std::nullopt;
  size_t parentEnd = cut;
  while (parentEnd > rootEnd && isSeparator(path[parentEnd - 1])) --parentEnd;
  if (parentEnd < rootEnd) parentEnd = rootEnd;
  return Text(path.substr(0, std::min(parentEnd, path.size())));
}

}  // namespace

int64_t MakeInt64(uint32_t high, uint32_t low) {
  return static_cast<int64_t>((static_cast<uint64_t>(high) << 32) | low);
}

bool IsInvalidPathChar(char16_t c) {
  // Without branches, for the loops over whole paths.
  return (c < 0x20) | (c == u'"') | (c == u'<') | (c == u'>') | (c == u'|');
}

Text FileQueries::JoinPath(TextView folder, TextView name) const {
  if (folder.empty()) return Text(name);
  if (name.empty()) return Text(folder);
  if (HasInvalidPathChar(name)) throw FsError(FsErrorKind::InvalidPath, kInvalidCharacters);
  // Room for the whole path at once: the catalogue keeps these texts, and one
  // that grew by doubling would keep twice its size.
  Text result;
  result.reserve(folder.size() + 1 + name.size());
  result.append(folder);
  if (fs_.Style() == PathStyle::Posix) {
    if (name[0] == u'/') return Text(name);
    if (folder.back() != u'/') result += u'/';
  } else {
    // A rooted name: drive-qualified, or beginning with a separator (which
    // covers "\\?\").
    if ((name.size() >= 2 && name[1] == u':') || name[0] == u'\\' || name[0] == u'/') {
      return Text(name);
    }
    const char16_t last = folder.back();
    if (last != u'\\' && last != u'/' && last != u':') result += u'\\';
  }
  result += name;
  return result;
}

Text FileQueries::ExpandPath(const Text& path, uint32_t& error) {
  error = 0;
  return fs_.FullPath(path, error);
}

void FileQueries::CheckDirectoryPath(const Text& path) {
  const bool windows = fs_.Style() == PathStyle::Windows;
  const bool prefixed = windows && StartsWith(path, kLongPrefix);
  if (windows ? (path.size() >= kWindowsPathLimit && !prefixed)
              : Utf8Length(path) >= kPosixPathLimit) {
    throw FsError(FsErrorKind::PathTooLong, kTooLong);
  }
  size_t start = 0;
  if (windows) {
    if (StartsWith(path, kLongUncPrefix)) {
      start = kLongUncPrefix.size();
    } else if (prefixed) {
      start = kLongPrefix.size();
    }
    if (!IsBlank(path)) {
      size_t from = start;
      if (from + 1 < path.size() && IsAsciiLetter(path[from]) && path[from + 1] == u':') from += 2;
      if (path.find(u':', from) != Text::npos) {
        throw FsError(FsErrorKind::PathFormatNotSupported, kFormatNotSupported);
      }
    }
  }
  if (IsBlank(path)) throw FsError(FsErrorKind::InvalidPath, kInvalidCharacters);
  if (HasInvalidPathChar(TextView(path).substr(std::min(start, path.size())))) {
    throw FsError(FsErrorKind::InvalidPath, kInvalidCharacters);
  }

  uint32_t attributes = 0;
  uint32_t error = 0;
  if (!fs_.GetAttributes(path, attributes, error)) {
    // Anything but "nothing there" (access denied, say) counts as existing.
    if (MeansNotFound(error)) throw FsError(FsErrorKind::PathNotFound, kNotFound);
    return;
  }
  if ((attributes & kAttrReparsePoint) != 0 && !fs_.OpenFollowingLinks(path, error)) {
    throw FsError(FsErrorKind::PathNotFound, kNotFound);
  }
  if ((attributes & kAttrDirectory) == 0) throw FsError(FsErrorKind::PathNotFound, kNotFound);
}

namespace {

// WalkDirectory: the search loop with the stack of folders it is
// inside, so that a directory link back to one of them, or to any folder
// above one of them, is seen and not entered.
class DirectoryWalk {
 public:
  DirectoryWalk(FileQueries& queries, bool recursive, bool wantDirectories,
                std::vector<Text>& result)
      : queries_(queries),
        fs_(queries.Fs()),
        recursive_(recursive),
        wantDirectories_(wantDirectories),
        result_(result) {}

  // `placed` says the folder's text may not show where it lies: the start,
  // and every folder entered through a link.
  void WalkDirectory(const Text& folder, std::optional<FileId> id, bool placed) {
    SearchEntry entry;
    std::unique_ptr<DirectorySearch> search =
        fs_.SearchFolder(queries_.JoinPath(folder, u"*"), entry);
    if (!search) return;  // gone, unreadable or too deep: contributes nothing
    stack_.push_back(Frame{folder, id, false, placed, std::nullopt});
    struct Pop {
      std::vector<Frame>& stack;
      ~Pop() { stack.pop_back(); }
    } pop{stack_};
    do {
      Entry(folder, entry);
    } while (search->Next(entry));
  }

 private:
  struct Frame {
    Text path;
    std::optional<FileId> id;
    bool asked;  // Identity was asked for (and may have failed)
    bool placed;
    // For a placed folder: the folders above its final path, once asked for.
    std::optional<std::vector<FileId>> above;
  };

  // A name that can stand as one part of a path: one that holds an invalid
  // path character cannot be joined, and one that holds a separator (Wine
  // reports Linux names verbatim) would lead somewhere else entirely. So
  // would a Windows name of nothing but spaces and dots: the platform trims
  // them from every part of a path, and the path names the folder itself,
  // whose walk would then repeat below itself.
  bool IsSingleName(const Text& name) const {
    if (HasInvalidPathChar(name)) return false;
    if (fs_.Style() == PathStyle::Posix) return name.find(u'/') == Text::npos;
    return name.find_first_of(u"\\/:") == Text::npos &&
           name.find_first_not_of(u". ") != Text::npos;
  }

  void Entry(const Text& folder, const SearchEntry& entry) {
    const bool isDirectory = (entry.attributes & kAttrDirectory) != 0;
    const bool wanted = isDirectory == wantDirectories_;
    const bool entered = recursive_ && isDirectory;
    // An entry neither kept nor entered needs no look at its name.
    if (!wanted && !entered) return;
    if (IsDotName(entry.name) || !IsSingleName(entry.name)) return;
    Text path = queries_.JoinPath(folder, entry.name);
    if (!entered) {
      result_.push_back(std::move(path));
      return;
    }
    if (wanted) result_.push_back(path);
    std::optional<FileId> id = entry.id;
    const bool isLink = (entry.attributes & kAttrReparsePoint) != 0;
    if (isLink) {
      if (!id) {
        FileId found;
        if (!fs_.Identity(path, found)) return;  // cannot tell where it leads: not entered
        id = found;
      }
      if (LeadsAbove(*id)) return;
    }
    WalkDirectory(path, id, isLink);
  }

  // Whether the identity is that of a folder the walk is inside or of one
  // above such a folder. Identities are asked for lazily: only links need them.
  bool LeadsAbove(const FileId& id) {
    for (Frame& frame : stack_) {
      if (!frame.id && !frame.asked) {
        frame.asked = true;
        FileId found;
        if (fs_.Identity(frame.path, found)) frame.id = found;
      }
      if (frame.id && *frame.id == id) return true;
      if (frame.placed) {
        if (!frame.above) frame.above = Above(frame.path);
        for (const FileId& ancestor : *frame.above) {
          if (ancestor == id) return true;
        }
      }
    }
    return false;
  }

  // The identities of the folders above where the path really lies.
  std::vector<FileId> Above(const Text& path) {
    std::vector<FileId> ids;
    Text final;
    if (!fs_.FinalPath(path, final)) {
      uint32_t error = 0;
      final = queries_.ExpandPath(path, error);
    }
    for (auto parent = ParentPath(final, fs_.Style()); parent;
         parent = ParentPath(*parent, fs_.Style())) {
      FileId found;
      if (fs_.Identity(*parent, found)) ids.push_back(found);
    }
    return ids;
  }

  FileQueries& queries_;
  FileSystem& fs_;
  const bool recursive_;
  const bool wantDirectories_;
  std::vector<Text>& result_;
  std::vector<Frame> stack_;
};

}  // namespace

std::vector<Text> FileQueries::List(const Text& folder, bool recursive, Wanted wanted,
                                    bool checkAbsolute) {
  uint32_t error = 0;
  Text absolute = ExpandPath(folder, error);
  if (error != 0 && error != kErrorFileNotFound) {
    throw FsError(FsErrorKind::SystemError, fs_.ErrorText(error));
  }
  CheckDirectoryPath(checkAbsolute ? absolute : folder);
  std::vector<Text> result;
  DirectoryWalk(*this, recursive, wanted == Wanted::Directories, result)
      .WalkDirectory(folder, std::nullopt, true);
  return result;
}

std::vector<Text> FileQueries::ListAllDirectories(const Text& folder) {
  return List(folder, true, Wanted::Directories, false);
}

std::vector<Text> FileQueries::ListSubdirectories(const Text& folder) {
  return List(folder, false, Wanted::Directories, false);
}

std::vector<Text> FileQueries::ListFiles(const Text& folder) {
  return List(folder, false, Wanted::Files, true);
}

bool FileQueries::LookUpFile(const Text& path, FileEntry& entry) {
  // The name is written into the room of the entry's last one: the records
  // look up every file with one entry.
  SearchEntry found;
  found.name.swap(entry.Name);
  bool ok = false;
  // A POSIX path from "/" on is its own full path: no copy of it per file.
  if (fs_.Style() == PathStyle::Posix && !path.empty() && path[0] == u'/') {
    ok = fs_.FindEntry(path, found);
  } else {
    uint32_t error = 0;
    const Text absolute = ExpandPath(path, error);
    ok = !absolute.empty() && fs_.FindEntry(absolute, found);
  }
  found.name.swap(entry.Name);
  if (!ok) return false;
  entry.Size = MakeInt64(found.sizeHigh, found.sizeLow);
  entry.WriteTime = found.writeTime;
  return true;
}

double FileQueries::DirectoryWriteTime(const Text& path) {
  CheckDirectoryPath(path);
  AttributeData data;
  if (!fs_.GetAttributeData(path, data)) return 0.0;
  if ((data.attributes & kAttrReparsePoint) != 0) {
    uint32_t error = 0;
    switch (fs_.ExamineVolume(path, error)) {
      case VolumeCheck::CannotExamine:
        throw FsError(FsErrorKind::SystemError,
                      u"System Error.  Code: " + Decimal(error) + u".\r\n" + fs_.ErrorText(error));
      case VolumeCheck::NoReparsePoints:
        return 0.0;
      case VolumeCheck::SupportsReparsePoints:
        break;
    }
    Text target;
    if (!fs_.FinalPath(path, target) || !fs_.GetAttributeData(target, data)) return 0.0;
  }
  CalendarFields fields;
  if (!fs_.FileTimeToLocalFields(data.writeTime, fields)) return 0.0;
  if (fields.year < 1 || fields.year > 9999) return 0.0;
  return DateTimeFromFields(fields);
}

double FileQueries::FileTimeToLocalDateTime(uint64_t fileTime) {
  CalendarFields fields;
  if (!fs_.FileTimeToLocalFields(fileTime, fields)) return 2.0;
  if (fields.year < 1 || fields.year > 9999)
    throw FsError(FsErrorKind::DateEncodeError, kDateEncode);
  return DateTimeFromFields(fields);
}

}  // namespace ostrivel
