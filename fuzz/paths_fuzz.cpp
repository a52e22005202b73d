// JoinPath and CheckDirectoryPath with arbitrary paths, in Windows and POSIX
// style, on the in-memory file system; and the listings and lookups that rest
// on them, which must fail only with the failures they name and leave no
// search open.
//
// Input: a style byte, a length byte, a folder text, a name text.

#include "fuzz/fuzz_support.h"
#include "scan/file_queries.h"
#include "tests/fake_file_system.h"

using namespace ostrivel;
using ostrivel::fuzzing::ConsumeText;
using ostrivel::fuzzing::Show;
using ostrivel::testing::FakeFileSystem;

namespace {

// Beyond ASCII: the prefixes, a byte of a POSIX name that is not UTF-8, a
// full-width colon and a non-BMP character.
constexpr TextView kExtras[] = {u"\\\\?\\", u"\\\\?\\UNC\\", TextView(u"\xDC80", 1), u"\uFF1A",
                                u"\U0001F600"};

void Build(FakeFileSystem& fs, bool windows) {
  const Text root = windows ? u"C:\\data" : u"/data";
  const Text sep = windows ? u"\\" : u"/";
  fs.AddDirectory(root);
  fs.AddDirectory(root + sep + u"sub");
  fs.AddDirectory(root + sep + u"sub" + sep + u"deeper");
  fs.AddDirectory(root + sep + u"a b ");
  fs.AddFile(root + sep + u"f.txt", 12);
  fs.AddFile(root + sep + u"sub" + sep + u"g", 1);
  fs.AddLink(root + sep + u"up", root);                   // a loop
  fs.AddLink(root + sep + u"gone", root + sep + u"nil");  // leads nowhere
  fs.AddLink(root + sep + u"file-link", root + sep + u"f.txt");
  if (windows) fs.AddDirectory(u"D:\\");
}

bool IsRootedName(TextView name, bool windows) {
  if (windows) return (name.size() >= 2 && name[1] == u':') || name[0] == u'\\' || name[0] == u'/';
  return name[0] == u'/';
}

bool HasInvalid(TextView text) {
  for (char16_t c : text) {
    if (IsInvalidPathChar(c)) return true;
  }
  return false;
}

const char* KindName(FsErrorKind kind) {
  switch (kind) {
    case FsErrorKind::SystemError:
      return "SystemError";
    case FsErrorKind::PathTooLong:
      return "PathTooLong";
    case FsErrorKind::PathFormatNotSupported:
      return "PathFormatNotSupported";
    case FsErrorKind::InvalidPath:
      return "InvalidPath";
    case FsErrorKind::PathNotFound:
      return "PathNotFound";
    case FsErrorKind::DateEncodeError:
      return "DateEncodeError";
  }
  return "?";
}

// Each kind with its one message.
void CheckMessage(const FsError& e) {
  const Text* expected = nullptr;
  static const Text kTooLong = u"The specified path is too long";
  static const Text kFormat = u"The path format is not supported";
  static const Text kInvalid = u"Invalid characters in path";
  static const Text kNotFound = u"The specified path was not found";
  switch (e.Kind()) {
    case FsErrorKind::PathTooLong:
      expected = &kTooLong;
      break;
    case FsErrorKind::PathFormatNotSupported:
      expected = &kFormat;
      break;
    case FsErrorKind::InvalidPath:
      expected = &kInvalid;
      break;
    case FsErrorKind::PathNotFound:
      expected = &kNotFound;
      break;
    default:
      return;
  }
  FUZZ_CHECK(e.Message() == *expected, Show(e.Message()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const bool windows = in.ConsumeBool();
  const uint8_t lengthChoice = in.ConsumeIntegral<uint8_t>();
  Text folder = ConsumeText(in, 64, kExtras);
  const Text name = ConsumeText(in, 32, kExtras);
  // Paths around the length limits are out of reach of short inputs: pad one
  // in four to a few units either side of the limit.
  if (lengthChoice % 4 == 0) {
    const size_t target =
        (windows ? kWindowsPathLimit : kPosixPathLimit) - 4 + (lengthChoice >> 2) % 8;
    if (folder.size() < target) folder += Text(target - folder.size(), u'x');
  }

  FakeFileSystem fs(windows ? PathStyle::Windows : PathStyle::Posix);
  Build(fs, windows);
  FileQueries queries(fs);

  // JoinPath.
  try {
    const Text joined = queries.JoinPath(folder, name);
    FUZZ_CHECK(folder.empty() || name.empty() || !HasInvalid(name), "joined an invalid name");
    if (folder.empty()) {
      FUZZ_CHECK(joined == name, Show(joined));
    } else if (name.empty()) {
      FUZZ_CHECK(joined == folder, Show(joined));
    } else if (IsRootedName(name, windows)) {
      FUZZ_CHECK(joined == name, Show(joined));
    } else {
      const char16_t last = folder.back();
      const bool ends = windows ? (last == u'\\' || last == u'/' || last == u':') : last == u'/';
      FUZZ_CHECK(joined == folder + (ends ? u"" : (windows ? u"\\" : u"/")) + name, Show(joined));
    }
  } catch (const FsError& e) {
    FUZZ_CHECK(e.Kind() == FsErrorKind::InvalidPath && !folder.empty() && HasInvalid(name),
               KindName(e.Kind()));
    CheckMessage(e);
  }

  // CheckDirectoryPath: the first failing check decides; a path that passes
  // names a directory of the fake.
  const Text& path = folder;
  bool passed = false;
  try {
    queries.CheckDirectoryPath(path);
    passed = true;
  } catch (const FsError& e) {
    CheckMessage(e);
    FUZZ_CHECK(e.Kind() != FsErrorKind::SystemError && e.Kind() != FsErrorKind::DateEncodeError,
               KindName(e.Kind()));
    const bool prefixed = windows && path.starts_with(u"\\\\?\\");
    if (windows && path.size() >= kWindowsPathLimit && !prefixed) {
      FUZZ_CHECK(e.Kind() == FsErrorKind::PathTooLong, KindName(e.Kind()));
    }
    if (e.Kind() == FsErrorKind::PathTooLong) {
      FUZZ_CHECK(windows ? path.size() >= kWindowsPathLimit && !prefixed
                         : Utf8(path).size() >= kPosixPathLimit,
                 "too long at " + std::to_string(path.size()));
    }
  }
  if (passed) {
    bool blank = true;
    for (char16_t c : path) blank = blank && c <= u' ';
    FUZZ_CHECK(!blank, "a blank path passed");
    uint32_t attributes = 0, error = 0;
    const bool got = fs.GetAttributes(path, attributes, error);
    FUZZ_CHECK(!got || (attributes & kAttrDirectory) != 0, "a path that is no directory passed");
  }

  // The queries over the same path: their own failures only, results that
  // begin with the folder text as given, and every search closed.
  const auto listing = [&](auto list) {
    try {
      for (const Text& p : (queries.*list)(path)) {
        FUZZ_CHECK(p.starts_with(path) && p.size() > path.size(), Show(p) + " below " + Show(path));
      }
    } catch (const FsError& e) {
      CheckMessage(e);
      FUZZ_CHECK(e.Kind() != FsErrorKind::DateEncodeError, KindName(e.Kind()));
      FUZZ_CHECK(!passed || e.Kind() == FsErrorKind::SystemError || list == &FileQueries::ListFiles,
                 "a listing failed a check that passed: " + std::string(KindName(e.Kind())));
    }
    FUZZ_CHECK(fs.OpenSearches() == 0, "a search stayed open");
  };
  listing(&FileQueries::ListAllDirectories);
  listing(&FileQueries::ListSubdirectories);
  listing(&FileQueries::ListFiles);
  try {
    const double t = queries.DirectoryWriteTime(path);
    FUZZ_CHECK(passed, "a time for a path that fails the checks");
    FUZZ_CHECK(t == 0.0 || (t > -693594 && t < 2958466), "time out of range");
  } catch (const FsError& e) {
    CheckMessage(e);
    FUZZ_CHECK(!passed || e.Kind() == FsErrorKind::SystemError, KindName(e.Kind()));
  }
  FileEntry entry;
  queries.LookUpFile(path, entry);
  FUZZ_CHECK(fs.OpenSearches() == 0, "a lookup left its search open");
  return 0;
}
