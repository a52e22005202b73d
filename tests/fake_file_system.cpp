#include "tests/fake_file_system.h"

#include <algorithm>

namespace ostrivel::testing {
namespace {

constexpr uint32_t kErrorCantResolveFilename = 1921;
constexpr uint32_t kFileAttributeArchive = 0x20;
constexpr int kMaxLinkDepth = 40;
constexpr uint64_t kTicksPerDay = 864000000000ULL;
constexpr TextView kLongPrefix = u"\\\\?\\";

char16_t AsciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c; }

bool EqualIgnoringCase(TextView a, TextView b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

bool StartsWith(TextView text, TextView prefix) {
  return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

// Days since 1601-01-01 to a proleptic Gregorian date.
void CivilFromDays(int64_t days, int& year, int& month, int& day) {
  // Days since 0000-03-01 (the civil-from-days algorithm of H. Hinnant).
  const int64_t shifted = days + 584694;
  const int64_t era = (shifted >= 0 ? shifted : shifted - 146096) / 146097;
  const int64_t doe = shifted - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

}  // namespace

struct FakeFileSystem::Resolved {
  FakeNode* node = nullptr;
  uint32_t error = 0;
  Text rootName;
  std::vector<const FakeNode*> chain;  // the nodes from below the root to `node`, links followed
};

class FakeFileSystem::Search : public DirectorySearch {
 public:
  Search(FakeFileSystem& owner, Text pattern, std::vector<SearchEntry> entries)
      : owner_(owner), pattern_(std::move(pattern)), entries_(std::move(entries)) {
    owner_.maxOpenSearches_ = std::max(owner_.maxOpenSearches_, ++owner_.openSearches_);
  }
  ~Search() override { --owner_.openSearches_; }

  bool Next(SearchEntry& entry) override {
    if (owner_.Record(FakeOp::SearchNext, pattern_)) return false;
    if (position_ >= entries_.size()) return false;
    entry = entries_[position_++];
    return true;
  }

 private:
  FakeFileSystem& owner_;
  Text pattern_;
  std::vector<SearchEntry> entries_;
  size_t position_ = 1;  // the first went with SearchFolder
};

FakeFileSystem::FakeFileSystem(PathStyle style) : style_(style) {
  currentDirectory_ = style == PathStyle::Windows ? u"C:\\" : u"/";
  if (style == PathStyle::Posix) AddDirectory(u"/");
}

FakeFileSystem::~FakeFileSystem() = default;

bool FakeFileSystem::TooLong(const Text& path) const {
  if (style_ == PathStyle::Windows) return path.size() >= 260 && !StartsWith(path, kLongPrefix);
  return path.size() >= 4096;
}

Text FakeFileSystem::Absolute(const Text& path, bool& ok) const {
  ok = true;
  if (style_ == PathStyle::Posix) {
    if (!path.empty() && path[0] == u'/') return path;
    return currentDirectory_ + u"/" + path;
  }
  auto isSeparator = [](char16_t c) { return c == u'\\' || c == u'/'; };
  if (StartsWith(path, kLongPrefix)) return path.substr(kLongPrefix.size());
  if (path.size() >= 2 && path[1] == u':') {
    Text drive(1,
               static_cast<char16_t>(path[0] >= u'a' && path[0] <= u'z' ? path[0] - 32 : path[0]));
    drive += u':';
    Text rest = path.substr(2);
    if (!rest.empty() && isSeparator(rest[0])) return drive + rest;
    // Drive-relative: the current directory when it is on that drive, else its root.
    if (EqualIgnoringCase(currentDirectory_.substr(0, 2), drive)) {
      return currentDirectory_ + u"\\" + rest;
    }
    return drive + u"\\" + rest;
  }
  if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
    ok = false;  // no network shares here
    return Text();
  }
  if (!path.empty() && isSeparator(path[0])) return currentDirectory_.substr(0, 2) + path;
  return currentDirectory_ + u"\\" + path;
}

std::vector<Text> FakeFileSystem::Split(const Text& absolute, Text& rootName) const {
  std::vector<Text> parts;
  size_t start = 0;
  if (style_ == PathStyle::Windows) {
    rootName = absolute.substr(0, 2);
    if (!rootName.empty() && rootName[0] >= u'a' && rootName[0] <= u'z') rootName[0] -= 32;
    start = 2;
  } else {
    rootName.clear();
  }
  Text part;
  auto flush = [&] {
    // Windows drops trailing spaces and dots of a name ("a.. " is "a").
    if (style_ == PathStyle::Windows && part != u"." && part != u"..") {
      while (!part.empty() && (part.back() == u' ' || part.back() == u'.')) part.pop_back();
    }
    if (part == u"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != u".") {
      parts.push_back(part);
    }
    part.clear();
  };
  for (size_t i = start; i < absolute.size(); ++i) {
    const char16_t c = absolute[i];
    if (c == u'/' || (style_ == PathStyle::Windows && c == u'\\')) {
      flush();
    } else {
      part += c;
    }
  }
  flush();
  return parts;
}

FakeFileSystem::Resolved FakeFileSystem::Resolve(const Text& path, bool followLast) {
  Resolved r;
  if (path.empty() || path.find(u'\0') != Text::npos) {
    r.error = kErrorInvalidName;
    return r;
  }
  if (TooLong(path)) {
    r.error = kErrorFilenameExcedRange;
    return r;
  }
  bool ok = true;
  const Text absolute = Absolute(path, ok);
  if (!ok) {
    r.error = kErrorBadNetPath;
    return r;
  }
  return ResolveFrom(absolute, followLast, 0);
}

FakeFileSystem::Resolved FakeFileSystem::ResolveFrom(const Text& absolute, bool followLast,
                                                     int depth) {
  Resolved r;
  const std::vector<Text> parts = Split(absolute, r.rootName);
  auto root = roots_.find(r.rootName);
  if (root == roots_.end()) {
    r.error = kErrorPathNotFound;
    return r;
  }
  FakeNode* node = root->second.get();
  for (size_t i = 0; i < parts.size(); ++i) {
    const bool last = i + 1 == parts.size();
    if (node->kind != FakeNode::Kind::Directory) {
      r.error = kErrorPathNotFound;
      return r;
    }
    FakeNode* child = nullptr;
    for (auto& c : node->children) {
      if (!c->ghost && c->name == parts[i]) child = c.get();
    }
    if (child == nullptr && style_ == PathStyle::Windows) {
      for (auto& c : node->children) {
        if (!c->ghost && EqualIgnoringCase(c->name, parts[i])) {
          child = c.get();
          break;
        }
      }
    }
    if (child == nullptr) {
      r.error = last ? kErrorFileNotFound : kErrorPathNotFound;
      return r;
    }
    if (child->kind == FakeNode::Kind::Link && (!last || followLast)) {
      if (depth >= kMaxLinkDepth) {
        r.error = kErrorCantResolveFilename;
        return r;
      }
      bool ok = true;
      const Text target = Absolute(child->linkTarget, ok);
      Resolved t = ok ? ResolveFrom(target, true, depth + 1) : Resolved{nullptr, kErrorBadNetPath};
      if (t.node == nullptr) {
        r.error = t.error == kErrorFileNotFound && !last ? kErrorPathNotFound : t.error;
        return r;
      }
      r.rootName = t.rootName;
      r.chain = t.chain;
      node = t.node;
      continue;
    }
    r.chain.push_back(child);
    node = child;
  }
  r.node = node;
  return r;
}

Text FakeFileSystem::CanonicalPath(const std::vector<const FakeNode*>& chain,
                                   const Text& rootName) const {
  const char16_t separator = style_ == PathStyle::Windows ? u'\\' : u'/';
  Text path = rootName;
  for (const FakeNode* n : chain) {
    path += separator;
    path += n->name;
  }
  if (chain.empty()) path += separator;
  return path;
}

FakeNode& FakeFileSystem::Add(const Text& path, FakeNode::Kind kind) {
  bool ok = true;
  Text rootName;
  const std::vector<Text> parts = Split(Absolute(path, ok), rootName);
  auto& root = roots_[rootName];
  if (!root) {
    root = std::make_unique<FakeNode>();
    root->kind = FakeNode::Kind::Directory;
    root->index = nextIndex_++;
  }
  FakeNode* node = root.get();
  for (size_t i = 0; i < parts.size(); ++i) {
    const bool last = i + 1 == parts.size();
    FakeNode* child = nullptr;
    for (auto& c : node->children) {
      if (c->name == parts[i]) child = c.get();
    }
    if (child == nullptr || (last && child->kind != kind)) {
      auto made = std::make_unique<FakeNode>();
      made->kind = last ? kind : FakeNode::Kind::Directory;
      made->name = parts[i];
      made->index = nextIndex_++;
      if (made->kind == FakeNode::Kind::File) made->extraAttributes = kFileAttributeArchive;
      child = made.get();
      node->children.push_back(std::move(made));
    }
    node = child;
  }
  return *node;
}

FakeNode& FakeFileSystem::AddDirectory(const Text& path, uint64_t writeTime) {
  FakeNode& n = Add(path, FakeNode::Kind::Directory);
  n.writeTime = writeTime;
  return n;
}

FakeNode& FakeFileSystem::AddFile(const Text& path, uint64_t size, uint64_t writeTime) {
  FakeNode& n = Add(path, FakeNode::Kind::File);
  n.size = size;
  n.writeTime = writeTime;
  return n;
}

FakeNode& FakeFileSystem::AddLink(const Text& path, const Text& target, uint64_t writeTime) {
  FakeNode& n = Add(path, FakeNode::Kind::Link);
  n.linkTarget = target;
  n.writeTime = writeTime;
  return n;
}

FakeNode* FakeFileSystem::Node(const Text& path) { return Resolve(path, false).node; }

void FakeFileSystem::Remove(const Text& path) {
  Resolved r = Resolve(path, false);
  if (r.node == nullptr) return;
  std::vector<const FakeNode*> parentChain = r.chain;
  parentChain.pop_back();
  FakeNode* parent =
      parentChain.empty() ? roots_[r.rootName].get() : const_cast<FakeNode*>(parentChain.back());
  auto& children = parent->children;
  children.erase(std::remove_if(children.begin(), children.end(),
                                [&](const auto& c) { return c.get() == r.node; }),
                 children.end());
}

void FakeFileSystem::SetCurrentDirectory(const Text& path) { currentDirectory_ = path; }

void FakeFileSystem::Fail(FakeOp op, const Text& path, uint32_t error) {
  failures_[{op, path}] = error;
}

void FakeFileSystem::ClearFailures() {
  failures_.clear();
  failedTimes_.clear();
}

void FakeFileSystem::FailTimeConversion(uint64_t fileTime) { failedTimes_.insert(fileTime); }

int FakeFileSystem::CallCount(FakeOp op) const {
  return static_cast<int>(
      std::count_if(calls_.begin(), calls_.end(), [op](const Call& c) { return c.op == op; }));
}

int FakeFileSystem::CallCount(FakeOp op, const Text& path) const {
  return static_cast<int>(std::count_if(
      calls_.begin(), calls_.end(), [&](const Call& c) { return c.op == op && c.path == path; }));
}

std::optional<uint32_t> FakeFileSystem::Record(FakeOp op, const Text& path) {
  calls_.push_back({op, path});
  if (beforeCall) beforeCall(op, path);
  auto f = failures_.find({op, path});
  if (f == failures_.end()) f = failures_.find({op, Text()});
  if (f == failures_.end()) return std::nullopt;
  return f->second;
}

uint32_t FakeFileSystem::AttributesOf(const FakeNode& node) {
  switch (node.kind) {
    case FakeNode::Kind::Directory:
      return kAttrDirectory | node.extraAttributes;
    case FakeNode::Kind::File:
      return node.extraAttributes;
    case FakeNode::Kind::Link: {
      bool ok = true;
      const Text target = Absolute(node.linkTarget, ok);
      const Resolved t = ok ? ResolveFrom(target, true, 1) : Resolved{};
      const bool toDirectory = t.node != nullptr && t.node->kind == FakeNode::Kind::Directory;
      return kAttrReparsePoint | (toDirectory ? kAttrDirectory : 0) | node.extraAttributes;
    }
  }
  return 0;
}

SearchEntry FakeFileSystem::EntryOf(const FakeNode& node, const Text& name) {
  SearchEntry e;
  e.attributes = AttributesOf(node);
  e.writeTime = node.writeTime;
  if (node.kind == FakeNode::Kind::File) {
    e.sizeHigh = static_cast<uint32_t>(node.size >> 32);
    e.sizeLow = static_cast<uint32_t>(node.size);
  }
  e.name = name;
  if (searchReportsIds_ && (e.attributes & kAttrDirectory) != 0) {
    const FakeNode* target = &node;
    if (node.kind == FakeNode::Kind::Link) {
      bool ok = true;
      const Resolved t = ResolveFrom(Absolute(node.linkTarget, ok), true, 1);
      target = t.node;
    }
    if (target != nullptr) e.id = FileId{1, target->index};
  }
  return e;
}

std::unique_ptr<DirectorySearch> FakeFileSystem::SearchFolder(const Text& pattern,
                                                              SearchEntry& first) {
  if (Record(FakeOp::SearchFolder, pattern)) return nullptr;
  Text folder = pattern;
  if (folder.empty() || folder.back() != u'*') return nullptr;
  folder.pop_back();
  if (folder.empty()) folder = u".";
  Resolved r = Resolve(folder, true);
  if (r.node == nullptr || r.node->kind != FakeNode::Kind::Directory || r.node->denySearch ||
      TooLong(pattern)) {
    return nullptr;
  }
  std::vector<SearchEntry> entries;
  if (style_ == PathStyle::Windows && !r.chain.empty()) {
    SearchEntry dot = EntryOf(*r.node, u".");
    dot.id.reset();
    entries.push_back(dot);
    dot.name = u"..";
    entries.push_back(dot);
  }
  for (const auto& child : r.node->children) entries.push_back(EntryOf(*child, child->name));
  if (entries.empty()) return nullptr;  // FindFirstFileW: nothing matches
  first = entries[0];
  return std::make_unique<Search>(*this, pattern, std::move(entries));
}

bool FakeFileSystem::FindEntry(const Text& path, SearchEntry& entry) {
  if (Record(FakeOp::FindEntry, path)) return false;
  if (path.empty() || path.back() == u'/' ||
      (style_ == PathStyle::Windows && path.back() == u'\\')) {
    return false;
  }
  Resolved r = Resolve(path, false);
  if (r.node == nullptr || r.chain.empty()) return false;
  entry = EntryOf(*r.node, r.node->name);
  entry.id.reset();
  return true;
}

bool FakeFileSystem::GetAttributes(const Text& path, uint32_t& attributes, uint32_t& error) {
  if (auto e = Record(FakeOp::GetAttributes, path)) {
    error = *e;
    return false;
  }
  Resolved r = Resolve(path, false);
  if (r.node == nullptr) {
    error = r.error;
    return false;
  }
  attributes = AttributesOf(*r.node);
  return true;
}

bool FakeFileSystem::GetAttributeData(const Text& path, AttributeData& data) {
  if (Record(FakeOp::GetAttributeData, path)) return false;
  Resolved r = Resolve(path, false);
  if (r.node == nullptr) return false;
  data.attributes = AttributesOf(*r.node);
  data.writeTime = r.node->writeTime;
  return true;
}

bool FakeFileSystem::OpenFollowingLinks(const Text& path, uint32_t& error) {
  if (auto e = Record(FakeOp::OpenFollowingLinks, path)) {
    error = *e;
    return false;
  }
  Resolved r = Resolve(path, true);
  error = r.error;
  return r.node != nullptr;
}

Text FakeFileSystem::FullPath(const Text& path, uint32_t& error) {
  if (auto e = Record(FakeOp::FullPath, path)) {
    error = *e;
    return Text();
  }
  if (path.empty()) {
    error = kErrorInvalidName;
    return Text();
  }
  if (style_ == PathStyle::Windows && StartsWith(path, kLongPrefix)) return path;
  if (style_ == PathStyle::Windows && path.find_first_not_of(u' ') == Text::npos) {
    return Text();  // as Wine has it: nothing, and no error code
  }
  bool ok = true;
  const Text absolute = Absolute(path, ok);
  if (!ok) {
    error = kErrorBadNetPath;
    return Text();
  }
  Text rootName;
  const std::vector<Text> parts = Split(absolute, rootName);
  const char16_t separator = style_ == PathStyle::Windows ? u'\\' : u'/';
  Text full = rootName;
  for (const Text& part : parts) {
    full += separator;
    full += part;
  }
  const char16_t last = path.back();
  if (parts.empty() || last == u'/' || (style_ == PathStyle::Windows && last == u'\\')) {
    full += separator;
  }
  return full;
}

VolumeCheck FakeFileSystem::ExamineVolume(const Text& path, uint32_t& error) {
  if (auto e = Record(FakeOp::ExamineVolume, path)) {
    error = *e;
    return VolumeCheck::CannotExamine;
  }
  error = volumeError_;
  return volumeCheck_;
}

bool FakeFileSystem::FinalPath(const Text& path, Text& target) {
  if (Record(FakeOp::FinalPath, path)) return false;
  Resolved r = Resolve(path, true);
  if (r.node == nullptr) return false;
  target = CanonicalPath(r.chain, r.rootName);
  return true;
}

bool FakeFileSystem::Identity(const Text& path, FileId& id) {
  if (Record(FakeOp::Identity, path)) return false;
  Resolved r = Resolve(path, true);
  if (r.node == nullptr) return false;
  id = FileId{1, r.node->index};
  return true;
}

bool FakeFileSystem::FileTimeToLocalFields(uint64_t fileTime, CalendarFields& fields) {
  if (Record(FakeOp::FileTimeToLocalFields, Decimal(static_cast<int64_t>(fileTime)))) return false;
  if (failedTimes_.count(fileTime) != 0) return false;
  const int64_t offset = static_cast<int64_t>(localOffsetMinutes_) * 600000000;
  if (fileTime >= (1ULL << 63)) return false;
  int64_t local = 0;
  if (__builtin_add_overflow(static_cast<int64_t>(fileTime), offset, &local) || local < 0) {
    return false;
  }
  const uint64_t days = static_cast<uint64_t>(local) / kTicksPerDay;
  uint64_t rest = static_cast<uint64_t>(local) % kTicksPerDay;
  CivilFromDays(static_cast<int64_t>(days), fields.year, fields.month, fields.day);
  fields.dayOfWeek = static_cast<int>((days + 1) % 7);  // 1601-01-01 was a Monday
  fields.hour = static_cast<int>(rest / 36000000000ULL);
  rest %= 36000000000ULL;
  fields.minute = static_cast<int>(rest / 600000000);
  rest %= 600000000;
  fields.second = static_cast<int>(rest / 10000000);
  rest %= 10000000;
  fields.millisecond = static_cast<int>(rest / 10000);
  return true;
}

Text FakeFileSystem::ErrorText(uint32_t code) {
  Record(FakeOp::ErrorText, Decimal(code));
  return u"Fake error " + Decimal(code);
}

}  // namespace ostrivel::testing
