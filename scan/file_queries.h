#pragma once
// The file-system queries of the listing scan: the three listings, the lookup
// of one file, a directory's time and the conversions of what the platform
// reports. Written once against the primitives of scan/file_system.h; the path
// rules follow the file system's style (Windows or POSIX).

#include <cstdint>
#include <optional>
#include <vector>

#include "core/error.h"
#include "core/text.h"
#include "scan/file_system.h"

namespace ostrivel {

enum class FsErrorKind {
  SystemError,
  PathTooLong,
  PathFormatNotSupported,
  InvalidPath,
  PathNotFound,
  DateEncodeError
};

class FsError : public Error {
 public:
  FsError(FsErrorKind kind, Text message) : Error(std::move(message)), kind_(kind) {}
  FsErrorKind Kind() const { return kind_; }

 private:
  FsErrorKind kind_;
};

// The result of LookUpFile.
struct FileEntry {
  Text Name;               // as the search reports it
  int64_t Size = 0;        // MakeInt64 of the size halves
  uint64_t WriteTime = 0;  // FILETIME, UTC, unconverted
};

// high * 2^32 + low, both halves unsigned.
int64_t MakeInt64(uint32_t high, uint32_t low);

// U+0000 to U+001F, '"', '<', '>' and '|'.
bool IsInvalidPathChar(char16_t c);

// The longest path the checks let through without the "\\?\" prefix (Windows
// style: 247; POSIX style: PATH_MAX - 1 bytes).
inline constexpr size_t kWindowsPathLimit = 248;
inline constexpr size_t kPosixPathLimit = 4096;

class FileQueries {
 public:
  explicit FileQueries(FileSystem& fs) : fs_(fs) {}

  // Every directory below the folder, depth-first in pre-order, as full paths
  // that begin with the folder text as given.
  std::vector<Text> ListAllDirectories(const Text& folder);
  // The folder's immediate subdirectories, in search order.
  std::vector<Text> ListSubdirectories(const Text& folder);
  // The folder's immediate files (entries without the directory attribute).
  std::vector<Text> ListFiles(const Text& folder);
  // The search entry of the path itself; false when the search finds nothing.
  bool LookUpFile(const Text& path, FileEntry& entry);
  // The directory's last-write time, local; 0.0 when it cannot be read.
  double DirectoryWriteTime(const Text& path);
  // A FILETIME as a local date-time value; 2.0 when the platform cannot
  // convert it; FsError DateEncodeError for a local year after 9999.
  double FileTimeToLocalDateTime(uint64_t fileTime);

  // The internal operations, open to tests.
  Text JoinPath(TextView folder, TextView name) const;
  // The absolute form; empty when the platform fails. `error` is the
  // platform's last-error code afterwards (0 when none was set).
  Text ExpandPath(const Text& path, uint32_t& error);
  // Raises the FsError of the first check that fails.
  void CheckDirectoryPath(const Text& path);

  FileSystem& Fs() const { return fs_; }

 private:
  enum class Wanted { Directories, Files };
  std::vector<Text> List(const Text& folder, bool recursive, Wanted wanted, bool checkAbsolute);

  FileSystem& fs_;
};

}  // namespace ostrivel
