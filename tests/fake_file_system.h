#pragma once
// An in-memory file system for tests: a tree of named nodes that answers the
// primitives of scan/file_system.h the way the platform of its style would.
// Any primitive can be failed on demand, entries can vanish, refuse access or
// be links, and every call is recorded.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "scan/file_system.h"

namespace ostrivel::testing {

// The primitives, for failures on demand and the call record.
enum class FakeOp {
  SearchFolder,
  SearchNext,
  FindEntry,
  GetAttributes,
  GetAttributeData,
  OpenFollowingLinks,
  FullPath,
  ExamineVolume,
  FinalPath,
  Identity,
  FileTimeToLocalFields,
  ErrorText,
};

// 2018-12-08 09:30:00 UTC.
inline constexpr uint64_t kFakeDefaultTime = 131887350000000000ULL;

struct FakeNode {
  enum class Kind { Directory, File, Link };
  Kind kind = Kind::File;
  Text name;
  uint64_t writeTime = kFakeDefaultTime;
  uint64_t size = 0;
  uint32_t extraAttributes = 0;  // hidden, system, read-only... reported as they are
  Text linkTarget;               // Link: a full path in the fake's style; may lead nowhere
  bool denySearch = false;       // a search inside it fails with access denied
  bool ghost = false;            // reported by its folder's search, but gone for every other query
  uint64_t index = 0;            // file identity, unique per node
  std::vector<std::unique_ptr<FakeNode>> children;  // in search order
};

class FakeFileSystem : public FileSystem {
 public:
  // Windows style: drive letters, "\" (and "/") separators, case-insensitive
  // names (exact ones first), trailing spaces and dots of names dropped, "."
  // and ".." reported by searches below a drive root, paths of 260 units or
  // more refused by every primitive but FullPath unless they begin with "\\?\".
  // POSIX style: one root "/", case-sensitive, no "." and "..", a limit of 4096.
  explicit FakeFileSystem(PathStyle style = PathStyle::Windows);
  ~FakeFileSystem() override;

  // Building the tree. Paths are absolute in the fake's style; missing parents
  // are made as directories. Each returns the node for further settings.
  FakeNode& AddDirectory(const Text& path, uint64_t writeTime = kFakeDefaultTime);
  FakeNode& AddFile(const Text& path, uint64_t size = 0, uint64_t writeTime = kFakeDefaultTime);
  FakeNode& AddLink(const Text& path, const Text& target, uint64_t writeTime = kFakeDefaultTime);
  // The node at the path, links not followed; null when there is none.
  FakeNode* Node(const Text& path);
  void Remove(const Text& path);
  // Relative paths are resolved against it (Windows style: also the drive's).
  void SetCurrentDirectory(const Text& path);

  // Failures on demand: the primitive fails with `error` whenever its path
  // argument is exactly `path` (for SearchFolder the pattern, for SearchNext
  // the pattern of the search), or for every path when `path` is empty.
  void Fail(FakeOp op, const Text& path, uint32_t error = kErrorAccessDenied);
  void ClearFailures();
  // FileTimeToLocalFields fails for this time (before the local offset).
  void FailTimeConversion(uint64_t fileTime);
  // The local time is UTC plus this many minutes.
  void SetLocalOffsetMinutes(int minutes) { localOffsetMinutes_ = minutes; }
  // What ExamineVolume answers (unless failed on demand).
  void SetVolumeCheck(VolumeCheck check, uint32_t error = 0) {
    volumeCheck_ = check;
    volumeError_ = error;
  }
  // Searches fill SearchEntry::id for directories, as the POSIX search does.
  void SetSearchReportsIds(bool on) { searchReportsIds_ = on; }
  // Called before every primitive, e.g. to change the tree in the middle of a walk.
  std::function<void(FakeOp, const Text&)> beforeCall;

  // The record.
  struct Call {
    FakeOp op;
    Text path;
  };
  const std::vector<Call>& Calls() const { return calls_; }
  int CallCount(FakeOp op) const;
  int CallCount(FakeOp op, const Text& path) const;
  void ClearCalls() { calls_.clear(); }
  int OpenSearches() const { return openSearches_; }
  int MaxOpenSearches() const { return maxOpenSearches_; }

  // FileSystem.
  PathStyle Style() const override { return style_; }
  std::unique_ptr<DirectorySearch> SearchFolder(const Text& pattern, SearchEntry& first) override;
  bool FindEntry(const Text& path, SearchEntry& entry) override;
  bool GetAttributes(const Text& path, uint32_t& attributes, uint32_t& error) override;
  bool GetAttributeData(const Text& path, AttributeData& data) override;
  bool OpenFollowingLinks(const Text& path, uint32_t& error) override;
  Text FullPath(const Text& path, uint32_t& error) override;
  VolumeCheck ExamineVolume(const Text& path, uint32_t& error) override;
  bool FinalPath(const Text& path, Text& target) override;
  bool Identity(const Text& path, FileId& id) override;
  bool FileTimeToLocalFields(uint64_t fileTime, CalendarFields& fields) override;
  // "Fake error <code>".
  Text ErrorText(uint32_t code) override;

 private:
  class Search;
  struct Resolved;
  friend class Search;

  std::optional<uint32_t> Record(FakeOp op, const Text& path);
  Resolved Resolve(const Text& path, bool followLast);
  Resolved ResolveFrom(const Text& absolute, bool followLast, int depth);
  Text Absolute(const Text& path, bool& ok) const;
  std::vector<Text> Split(const Text& absolute, Text& rootName) const;
  FakeNode& Add(const Text& path, FakeNode::Kind kind);
  SearchEntry EntryOf(const FakeNode& node, const Text& name);
  uint32_t AttributesOf(const FakeNode& node);
  Text CanonicalPath(const std::vector<const FakeNode*>& chain, const Text& rootName) const;
  bool TooLong(const Text& path) const;

  PathStyle style_;
  std::map<Text, std::unique_ptr<FakeNode>> roots_;  // "C:" ... or "" for POSIX
  Text currentDirectory_;
  uint64_t nextIndex_ = 1;
  std::map<std::pair<FakeOp, Text>, uint32_t> failures_;
  std::set<uint64_t> failedTimes_;
  int localOffsetMinutes_ = 0;
  VolumeCheck volumeCheck_ = VolumeCheck::SupportsReparsePoints;
  uint32_t volumeError_ = 0;
  bool searchReportsIds_ = false;
  std::vector<Call> calls_;
  int openSearches_ = 0;
  int maxOpenSearches_ = 0;
};

}  // namespace ostrivel::testing
