#pragma once
// The primitives the file-system queries rest on. They answer the way Windows
// answers (attributes, FILETIME, Windows error codes); each back end (Win32,
// POSIX, in-memory) implements them, and the logic is written once on top.

#include <cstdint>
#include <memory>
#include <optional>

#include "core/clock.h"
#include "core/text.h"

namespace ostrivel {

inline constexpr uint32_t kAttrDirectory = 0x10;
inline constexpr uint32_t kAttrReparsePoint = 0x400;

// The Windows error codes the logic tests for; the POSIX back end maps errno to them.
inline constexpr uint32_t kErrorFileNotFound = 2;
inline constexpr uint32_t kErrorPathNotFound = 3;
inline constexpr uint32_t kErrorAccessDenied = 5;
inline constexpr uint32_t kErrorNoMoreFiles = 18;
inline constexpr uint32_t kErrorNotReady = 21;
inline constexpr uint32_t kErrorSharingViolation = 32;
inline constexpr uint32_t kErrorBadNetPath = 53;
inline constexpr uint32_t kErrorBadNetName = 67;
inline constexpr uint32_t kErrorInvalidName = 123;
inline constexpr uint32_t kErrorBadPathname = 161;
inline constexpr uint32_t kErrorFilenameExcedRange = 206;

enum class PathStyle { Windows, Posix };

// What identifies a directory whatever path reaches it: volume serial and file
// index on Windows, device and inode on POSIX.
struct FileId {
  uint64_t volume = 0;
  uint64_t index = 0;
  friend bool operator==(const FileId&, const FileId&) = default;
};

// One entry of a directory search (WIN32_FIND_DATAW, the fields used).
struct SearchEntry {
  uint32_t attributes = 0;
  uint64_t writeTime = 0;  // FILETIME: 100 ns since 1601-01-01 UTC
  uint32_t sizeHigh = 0;
  uint32_t sizeLow = 0;
  Text name;
  // Filled where the search knows it at no extra cost (POSIX, for directories).
  std::optional<FileId> id;
};

// GetFileAttributesExW, GetFileExInfoStandard: the fields used.
struct AttributeData {
  uint32_t attributes = 0;
  uint64_t writeTime = 0;
};

class DirectorySearch {
 public:
  virtual ~DirectorySearch() = default;  // FindClose
  // FindNextFileW: false when there are no more entries or on any other error.
  virtual bool Next(SearchEntry& entry) = 0;
};

enum class VolumeCheck { SupportsReparsePoints, NoReparsePoints, CannotExamine };

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  virtual PathStyle Style() const = 0;

  // FindFirstFileW on `pattern`, which is JoinPath(folder, "*"): null when the
  // platform refuses the search; otherwise `first` holds the first entry.
  virtual std::unique_ptr<DirectorySearch> SearchFolder(const Text& pattern,
                                                        SearchEntry& first) = 0;
  // FindFirstFileW on an exact path, closed at once: the path's own entry.
  virtual bool FindEntry(const Text& path, SearchEntry& entry) = 0;

  // GetFileAttributesW; `error` is the Windows error code when it fails.
  virtual bool GetAttributes(const Text& path, uint32_t& attributes, uint32_t& error) = 0;
  // GetFileAttributesExW.
  virtual bool GetAttributeData(const Text& path, AttributeData& data) = 0;
  // CreateFileW(GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING,
  // FILE_FLAG_BACKUP_SEMANTICS), following links, closed at once.
  virtual bool OpenFollowingLinks(const Text& path, uint32_t& error) = 0;
  // GetFullPathNameW, of any length. `error` is the thread's last-error code
  // afterwards (0 when none was set); the result is empty when it failed.
  virtual Text FullPath(const Text& path, uint32_t& error) = 0;
  // GetVolumeInformationW on the root of the path's drive or share.
  virtual VolumeCheck ExamineVolume(const Text& path, uint32_t& error) = 0;
  // The final path of what opening `path` (following links) reaches.
  virtual bool FinalPath(const Text& path, Text& target) = 0;
  // The identity of what `path` names, links followed.
  virtual bool Identity(const Text& path, FileId& id) = 0;
  // FileTimeToLocalFileTime, then FileTimeToSystemTime; false when either fails.
  virtual bool FileTimeToLocalFields(uint64_t fileTime, CalendarFields& fields) = 0;
  // The system's text for an error code (FormatMessageW), trailing
  // characters up to U+0020 and trailing full stops removed.
  virtual Text ErrorText(uint32_t code) = 0;
};

// The platform's file system (back end chosen by the build).
FileSystem& SystemFileSystem();
// One more of it, for another thread: an instance keeps what it learnt of
// one query for the next, so two threads cannot share one.
std::unique_ptr<FileSystem> NewSystemFileSystem();

}  // namespace ostrivel
