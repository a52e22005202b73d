// The listing run over an arbitrary in-memory tree: arbitrary names (quotes,
// separators, "&amp;", lone surrogates, dot names), sizes and times (past
// 9999, past 2^63), links that lead anywhere, primitives failing on demand,
// and the tree changing while the records are built. Whatever happens, the
// run writes one record per catalogued folder, each a D.p([...]) line as the
// page's script reads it, every index inside the catalogue and naming a
// folder below the record's own, and counters that agree with the entries.
//
// Input: style, root form and collation bytes, then a list of operations,
// each an opcode byte and its arguments.

#include <cstdlib>
#include <memory>
#include <vector>

#include "core/error.h"
#include "fuzz/fuzz_support.h"
#include "page/date_time.h"
#include "scan/collation.h"
#include "scan/listing_run.h"
#include "tests/fake_file_system.h"
#include "tests/fake_text_files.h"
#include "tests/listing_fakes.h"
#include "tests/record_block.h"

using namespace ostrivel;
using ostrivel::fuzzing::ConsumeText;
using ostrivel::fuzzing::Show;
using ostrivel::testing::FakeFileSystem;
using ostrivel::testing::FakeNode;
using ostrivel::testing::FakeOp;

namespace {

constexpr TextView kNameExtras[] = {u"&amp;",
                                    u"\"",
                                    u"*0*-",
                                    u"\\",
                                    u"/",
                                    u":",
                                    u"é",
                                    u"e\u0301",
                                    u"\u202E",
                                    u"\U0001F600",
                                    u"\u200B",
                                    TextView(u"\xDC80", 1),
                                    TextView(u"\xD800", 1),
                                    u"[DIR DATA]",
                                    u".",
                                    u"..",
                                    u"\r\n",
                                    u"</script>"};

constexpr uint32_t kErrors[] = {
    kErrorFileNotFound, kErrorPathNotFound, kErrorAccessDenied,       kErrorNotReady,
    kErrorInvalidName,  kErrorBadPathname,  kErrorFilenameExcedRange, 1921};

struct Placed {
  Text path;  // where the fake finds it (its name may since have been changed)
  FakeNode* node;
  bool isDirectory;
};

bool HasYearPast9999(const FakeNode& node) {
  // 10000-01-01 as a FILETIME; the fake's local offset is 0.
  constexpr uint64_t kYear10000 = 2650467744000000000ULL;
  if (node.kind == FakeNode::Kind::File && node.writeTime >= kYear10000 &&
      node.writeTime < (1ULL << 63)) {
    return true;
  }
  for (const auto& child : node.children) {
    if (child && HasYearPast9999(*child)) return true;
  }
  return false;
}

Text WithoutLoneSurrogates(TextView text) {
  Text out;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      out += c;
      out += text[++i];
    } else {
      out += c >= 0xD800 && c <= 0xDFFF ? u'\uFFFD' : c;
    }
  }
  return out;
}

}  // namespace

// The user's collation reads its locale from the environment.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("LC_ALL", "en_US.UTF-8", 0);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const bool windows = in.ConsumeBool();
  const uint8_t rootChoice = in.ConsumeIntegral<uint8_t>();
  const bool icuCollation = in.ConsumeIntegral<uint8_t>() % 4 == 0;

  FakeFileSystem fs(windows ? PathStyle::Windows : PathStyle::Posix);
  const Text sep = windows ? u"\\" : u"/";
  const Text base = windows ? u"C:\\src" : u"/src";
  fs.AddDirectory(base);
  const Text roots[] = {base,
                        base + sep,
                        windows ? u"C:/src" : u"/src/.",
                        Text(),
                        u"  ",
                        windows ? u"C:" : u"src",
                        windows ? u"C:\\src\\sub" : u"/src/sub"};
  const Text root = roots[rootChoice % std::size(roots)];
  const Text appDir = windows ? u"C:\\app\\" : u"/app/";
  fs.AddFile(appDir + u"template.html", 40);
  if (windows) fs.SetCurrentDirectory(u"C:\\");

  std::vector<Placed> placed{{base, fs.Node(base), true}};
  struct PumpAction {
    int at;
    int target;
    bool remove;
  };
  std::vector<PumpAction> pumpActions;
  int made = 0;
  while (in.remaining_bytes() > 0 && made < 48) {
    const uint8_t op = in.ConsumeIntegral<uint8_t>();
    const Placed parent = placed[in.ConsumeIntegral<uint8_t>() % placed.size()];
    switch (op % 8) {
      case 0:
      case 1:
      case 2:
      case 3:
      case 4: {
        if (!parent.isDirectory) break;
        Text name = ConsumeText(in, 12, kNameExtras);
        const Text plain = u"n" + Decimal(made++);
        const Text path = parent.path + sep + plain;
        FakeNode* node = nullptr;
        const uint64_t time = in.ConsumeBool()
                                  ? in.ConsumeIntegral<uint64_t>()
                                  : testing::kFakeDefaultTime + in.ConsumeIntegral<uint32_t>();
        if (op % 8 <= 1) {
          node = &fs.AddDirectory(path, time);
        } else if (op % 8 <= 3) {
          node = &fs.AddFile(
              path, in.ConsumeIntegral<uint64_t>() >> (in.ConsumeIntegral<uint8_t>() % 64), time);
        } else {
          const Placed target = placed[in.ConsumeIntegral<uint8_t>() % placed.size()];
          node = &fs.AddLink(path, in.ConsumeBool() ? target.path : target.path + u"-gone", time);
        }
        // Names the platform would report but no path can reach (Wine shows
        // Linux names with "\" or ":" that way) are given after the fact.
        if (!name.empty()) node->name = name;
        placed.push_back({path, node, op % 8 <= 1 || op % 8 == 4});
        break;
      }
      case 5: {
        FakeNode& node = *parent.node;
        const uint8_t flags = in.ConsumeIntegral<uint8_t>();
        node.ghost = flags & 1;
        node.denySearch = flags & 2;
        node.extraAttributes = flags & 4 ? 0x6 : 0;  // hidden, system
        break;
      }
      case 6: {
        const FakeOp fop =
            static_cast<FakeOp>(in.ConsumeIntegral<uint8_t>() % 11);  // not ErrorText
        const uint8_t how = in.ConsumeIntegral<uint8_t>();
        Text key = parent.path;
        if (fop == FakeOp::SearchFolder || fop == FakeOp::SearchNext) key += sep + u"*";
        if (how % 16 == 0) key.clear();  // every path
        if (fop == FakeOp::FileTimeToLocalFields) {
          fs.FailTimeConversion(parent.node->writeTime);
        } else {
          fs.Fail(fop, key, kErrors[how % std::size(kErrors)]);
        }
        break;
      }
      case 7:
        pumpActions.push_back({in.ConsumeIntegral<uint8_t>(),
                               static_cast<int>(in.ConsumeIntegral<uint8_t>() % placed.size()),
                               in.ConsumeBool()});
        break;
    }
  }

  std::unique_ptr<Collation> userCollation;
  testing::PlainCollation plainCollation;
  if (icuCollation) userCollation = MakeUserCollation();
  Collation& collation = userCollation ? *userCollation : plainCollation;
  testing::FakeTextFiles textFiles;
  textFiles.files[textFiles.FullPath(appDir + u"template.html")] =
      "\xEF\xBB\xBF<x>\n[DIR DATA]</x>";
  testing::ScriptedClock clock;
  testing::TableLocaleSource locale;
  testing::SetPlainDateFormats(locale);
  RegionalSettings regional(locale);
  testing::RecordingUi ui;
  ui.source = root;
  ui.chosen = windows ? u"D:\\out" : u"/out";
  int pumps = 0;
  ui.onPump = [&] {
    ++pumps;
    for (const PumpAction& a : pumpActions) {
      if (a.at != pumps) continue;
      const Placed& p = placed[a.target];
      if (a.remove) {
        if (fs.Node(p.path) == p.node && p.path != base) fs.Remove(p.path);
      } else if (fs.Node(p.path) == p.node && p.isDirectory) {
        fs.AddDirectory(p.path + sep + u"late" + Decimal(pumps));
      }
    }
  };
  // Removal above makes pointers of removed nodes dangle: compare only, never use.
  const bool datesPast9999 = HasYearPast9999(*placed[0].node);

  ListingRun run(ListingServices{fs, collation, textFiles, clock, regional}, appDir);
  try {
    run.BuildListing(ui);
  } catch (const Error& e) {
    FUZZ_CHECK(false, "the run failed: " + Show(e.Message()));
  }
  FUZZ_CHECK(fs.OpenSearches() == 0, "a search stayed open");
  FUZZ_CHECK(run.LastOutcome() == ListingOutcome::PageWritten ||
                 run.LastOutcome() == ListingOutcome::TemplateMissing,
             "the page was neither written nor left out");
  FUZZ_CHECK(run.DirList.Count() >= 1, "an empty catalogue");
  FUZZ_CHECK(run.RecordLines.Count() == run.DirList.Count(),
             std::to_string(run.RecordLines.Count()) + " records for " +
                 std::to_string(run.DirList.Count()) + " folders");

  int64_t entries = 0;
  uint64_t entrySizes = 0;
  for (int32_t k = 0; k < run.RecordLines.Count(); ++k) {
    testing::ParsedRecord record;
    std::string why;
    FUZZ_CHECK(testing::ParseRecord(run.RecordLines[k], record, why),
               why + ": " + Show(run.RecordLines[k]));
    Text shown = ReplaceAll(run.DirList[k], u"&", u"&amp;");
    for (char16_t& c : shown) {
      if (c == u'\\') c = u'/';
    }
    FUZZ_CHECK(record.path == shown, Show(record.path) + " for " + Show(run.DirList[k]));
    for (int32_t index : record.indices) {
      FUZZ_CHECK(index < run.DirList.Count(),
                 "index " + std::to_string(index) + " outside the catalogue");
      // A folder below. (Below a root that ends in a separator, a folder whose
      // name the collation ignores entirely, a zero-width space say, equals
      // the root, and its lookup may give the root's own index, wherever the
      // sort put the root; the page takes no folder as its own child.)
      const Text& child = run.DirList[index];
      FUZZ_CHECK(child.starts_with(run.DirList[k]) &&
                     (child.size() > run.DirList[k].size() || run.DirList[k] == root),
                 Show(child) + " is not below " + Show(run.DirList[k]));
    }
    for (const testing::ParsedFile& file : record.files) {
      ++entries;
      entrySizes += static_cast<uint64_t>(file.size);
    }
  }
  FUZZ_CHECK(run.FileCount == entries, "FileCount does not count the entries written");
  if (!datesPast9999) {
    FUZZ_CHECK(static_cast<uint64_t>(run.TotalSize) == entrySizes,
               "TotalSize is not the sum of the entries written");
  }
  if (run.LastOutcome() == ListingOutcome::PageWritten) {
    // The page is UTF-8: a lone surrogate (a byte of a POSIX name that is not
    // UTF-8) can only be written as U+FFFD.
    const std::string& page = textFiles.files[textFiles.FullPath(run.PagePath())];
    for (int32_t k = 0; k < run.RecordLines.Count(); ++k) {
      const std::string line = Utf8(WithoutLoneSurrogates(run.RecordLines[k])) + "\r\n";
      FUZZ_CHECK(page.find(line) != std::string::npos, "a record is not in the page: " + line);
    }
  }
  return 0;
}
