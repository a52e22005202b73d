#include "page/page_generation.h"

#include <gtest/gtest.h>

#include <string>

#include "core/error.h"
#include "page/date_time.h"
#include "page/text_file.h"
#include "tests/fake_file_system.h"
#include "tests/fake_text_files.h"
#include "tests/listing_fakes.h"

namespace ostrivel {
namespace {

using testing::FakeFileSystem;
using testing::FakeOp;

const Text kTemplate = u"C:\\App\\template.html";
const Text kPage = u"D:\\Out\\181208093000.html";
const std::string kUtf8Mark = "\xEF\xBB\xBF";

class PageGenerationTest : public ::testing::Test {
 protected:
  PageGenerationTest() {
    SetPlainDateFormats(locale);
    regional = std::make_unique<RegionalSettings>(locale);
    sourceRoot = u"C:\\Data";
    for (int i = 0; i < 4; ++i) dirList.Add(u"d");
    records.Add(u"R0");
    records.Add(u"R1");
  }

  // The template, in both fakes: the existence test asks the file system,
  // the load reads the text files.
  void PutTemplate(const std::string& bytes, const Text& path = kTemplate) {
    files.files[path] = bytes;
    fs.AddFile(path, bytes.size());
  }
  bool Generate(const Text& folder = u"D:\\Out", Text* pagePath = nullptr) {
    PageContent content{sourceRoot, dirList, records, 3, 4002168, [this] {
                          ++titleReads;
                          return title;
                        }};
    const PageServices services{fs, files, clock, *regional};
    return GeneratePage(folder, kTemplate, content, services, pagePath);
  }
  // The page's lines, from a page in UTF-8 with its mark.
  std::vector<Text> PageLines(const Text& path = kPage) {
    const std::string& bytes = files.files[path];
    EXPECT_TRUE(bytes.starts_with(kUtf8Mark));
    StringList lines;
    lines.SetText(FromUtf8Lossless(std::string_view(bytes).substr(3)));
    EXPECT_EQ(Utf8(lines.GetText()), bytes.substr(3)) << "every line ends in CR LF";
    return lines.Lines();
  }

  FakeFileSystem fs{PathStyle::Windows};
  testing::FakeTextFiles files;
  testing::ScriptedClock clock;
  testing::TableLocaleSource locale;
  std::unique_ptr<RegionalSettings> regional;
  Text sourceRoot;
  StringList dirList, records;
  Text title = u"T";
  int titleReads = 0;
};

TEST_F(PageGenerationTest, PlaceholdersInTheirOrder) {
  struct Row {
    const char* name;
    std::string templateText;  // UTF-8, after the mark
    Text title, root;
    std::vector<Text> want;
  };
  const Row rows[] = {
      {"all fourteen",
       "[APP NAME]|[APP VER]|[GEN DATE]|[GEN TIME]|[APP LINK]|[TITLE]|[LINK FILES]|"
       "[LINK PROTOCOL]|[LINK ROOT]|[SOURCE ROOT]|[NUM FILES]|[NUM DIRS]|[TOT SIZE]|[DIR DATA]",
       u"T",
       u"C:\\Data\\Photos",
       {u"Ostrivel|1.0|2018/12/8|9:30:00|https://forum.vantreth.example/|T|false|||"
        u"C:/Data/Photos|3|4|4002168|R0",
        u"R1", u""}},
      {"a title holding [SOURCE ROOT] shows the root",
       "<[TITLE]>",
       u"x[SOURCE ROOT]y",
       u"C:\\D",
       {u"<xC:/Dy>"}},
      {"a title holding [APP NAME] or [TITLE] keeps them",
       "<[TITLE]>",
       u"[APP NAME] [TITLE]",
       u"C:\\D",
       {u"<[APP NAME] [TITLE]>"}},
      {"a title holding [DIR DATA] gets the records",
       "[TITLE]",
       u"a[DIR DATA]b",
       u"C:\\D",
       {u"aR0", u"R1", u"b"}},
      {"a root holding [TOT SIZE] shows the total",
       "[SOURCE ROOT]",
       u"T",
       u"C:\\[TOT SIZE]\\x",
       {u"C:/4002168/x"}},
      {"a root holding [TITLE] keeps it", "[SOURCE ROOT]", u"T", u"C:\\[TITLE]", {u"C:/[TITLE]"}},
      {"every occurrence, exact case only, no overlap",
       "[APP VER][APP VER][app ver][[APP VER]]",
       u"T",
       u"C:\\D",
       {u"1.01.0[app ver][1.0]"}},
      {"markup goes in unchanged",
       "<title>[TITLE]</title>",
       u"</title><script>x()</script>",
       u"C:\\D",
       {u"<title></title><script>x()</script></title>"}},
      {"an empty root removes the placeholder", "<[SOURCE ROOT]>", u"T", u"", {u"<>"}},
      {"a value with a line break splits its line",
       "<[TITLE]>",
       u"a\nb\r\rc",
       u"C:\\D",
       {u"<a", u"b", u"", u"c>"}},
      {"LF line ends and no final line break",
       "a\nb[APP NAME]",
       u"T",
       u"C:\\D",
       {u"a", u"bOstrivel"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    files.files.clear();
    PutTemplate(kUtf8Mark + row.templateText);
    title = row.title;
    sourceRoot = row.root;
    ASSERT_TRUE(Generate());
    EXPECT_EQ(PageLines(), row.want);
    EXPECT_EQ(sourceRoot.find(u'\\'), Text::npos) << "the root keeps its / form";
  }
}

// The record block is inserted line by line; it must give what replacing it
// in the joined text and splitting that again gives.
TEST_F(PageGenerationTest, RecordBlockAsTheJoinedTextWouldGiveIt) {
  const std::string templates[] = {
      "[DIR DATA]", "a[DIR DATA]b\nc", "[DIR DATA][DIR DATA]", "x\r\n[DIR DATA]\r\n\r\ny",
      "",           "no placeholder",
  };
  const std::vector<std::vector<Text>> blocks = {
      {u"R0"}, {u"R0", u"R1", u"R2"}, {}, {u"", u"R"}, {u"a\r\nb", u"c"}, {Text(u"a\0b", 3)},
  };
  for (const std::string& t : templates) {
    for (const std::vector<Text>& block : blocks) {
      SCOPED_TRACE("template " + t + ", " + std::to_string(block.size()) + " records");
      records.Clear();
      for (const Text& r : block) records.Add(r);
      files.files.clear();
      PutTemplate(kUtf8Mark + t);
      ASSERT_TRUE(Generate());

      StringList want;
      want.SetText(FromUtf8Lossless(t));
      want.SetText(ReplaceAll(want.GetText(), u"[DIR DATA]", records.GetText()));
      EXPECT_EQ(PageLines(), want.Lines());
    }
  }
}

TEST_F(PageGenerationTest, PageKeepsTheTemplatesEncoding) {
  struct Row {
    const char* name;
    std::string templateBytes, want;
  };
  const Row rows[] = {
      {"UTF-8 mark", kUtf8Mark + "<[TITLE]>", kUtf8Mark + "<\xC3\xA9\xE4\xB8\xAD>\r\n"},
      {"UTF-16LE mark", std::string("\xFF\xFE<\0[\0T\0I\0T\0L\0E\0]\0>\0", 20),
       std::string("\xFF\xFE<\0\xE9\0\x2D\x4E>\0\r\0\n\0", 14)},
      {"UTF-16BE mark", std::string("\xFE\xFF\0<\0[\0T\0I\0T\0L\0E\0]\0>", 20),
       std::string("\xFE\xFF\0<\0\xE9\x4E\x2D\0>\0\r\0\n", 14)},
      {"no mark: the system code page, ? for what it lacks", "<[TITLE]>", "<\xE9?>\r\n"},
  };
  title = u"é中";
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    files.files.clear();
    PutTemplate(row.templateBytes);
    ASSERT_TRUE(Generate());
    EXPECT_EQ(files.files[kPage], row.want);
  }
}

TEST_F(PageGenerationTest, ThreeSeparateClockReadings) {
  clock.times = {{2018, 12, 8, 23, 59, 59, 999, 6},
                 {2018, 12, 9, 0, 0, 0, 500, 0},
                 {2018, 12, 9, 0, 0, 1, 0, 0}};
  PutTemplate(kUtf8Mark + "[GEN DATE] [GEN TIME]");
  Text pagePath;
  ASSERT_TRUE(Generate(u"D:\\Out", &pagePath));
  EXPECT_EQ(pagePath, u"D:\\Out\\181209000001.html");
  EXPECT_EQ(PageLines(pagePath), std::vector<Text>{u"2018/12/8 0:00:00"});
  EXPECT_EQ(clock.timeReadings, 3);
}

TEST_F(PageGenerationTest, PagePathJoinsWithThePlatformsSeparator) {
  PutTemplate(kUtf8Mark + "x");
  Text pagePath;
  ASSERT_TRUE(Generate(u"D:\\", &pagePath));
  EXPECT_EQ(pagePath, u"D:\\\\181208093000.html") << "a drive root is passed on unchanged";

  FakeFileSystem posix(PathStyle::Posix);
  posix.AddFile(kTemplate, 1);
  PageContent content{sourceRoot, dirList, records, 0, 0, nullptr};
  ASSERT_TRUE(
      GeneratePage(u"/srv/out", kTemplate, content, {posix, files, clock, *regional}, &pagePath));
  EXPECT_EQ(pagePath, u"/srv/out/181208093000.html");
}

TEST_F(PageGenerationTest, MissingTemplateTouchesNothing) {
  struct Row {
    const char* name;
    std::function<void()> make;
  };
  const Row rows[] = {
      {"nothing there", [] {}},
      {"a folder of that name", [&] { fs.AddDirectory(kTemplate); }},
      {"a link whose target is missing", [&] { fs.AddLink(kTemplate, u"C:\\App\\gone.html"); }},
      {"a link to a folder",
       [&] {
         fs.AddDirectory(u"C:\\App\\dir");
         fs.AddLink(kTemplate, u"C:\\App\\dir");
       }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    fs.Remove(kTemplate);
    row.make();
    files.files = {{kTemplate, kUtf8Mark + "x"}};  // readable, were it looked at
    sourceRoot = u"C:\\Data";
    titleReads = 0;
    EXPECT_FALSE(Generate());
    EXPECT_EQ(files.files.size(), 1u);
    EXPECT_EQ(sourceRoot, u"C:\\Data");
    EXPECT_EQ(titleReads, 0);
  }
}

TEST_F(PageGenerationTest, TemplatePresentThroughLinksAndRefusedAttributes) {
  struct Row {
    const char* name;
    std::function<void()> make;
  };
  const Row rows[] = {
      {"a link to a file",
       [&] {
         fs.AddFile(u"C:\\App\\real.html");
         fs.AddLink(kTemplate, u"C:\\App\\real.html");
       }},
      {"a link whose target another program holds",
       [&] {
         fs.AddFile(u"C:\\App\\real.html");
         fs.AddLink(kTemplate, u"C:\\App\\real.html");
         fs.Fail(FakeOp::OpenFollowingLinks, kTemplate, kErrorSharingViolation);
       }},
      {"attributes refused, found by the search",
       [&] {
         fs.AddFile(kTemplate);
         fs.Fail(FakeOp::GetAttributes, kTemplate, kErrorAccessDenied);
       }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    fs.ClearFailures();
    fs.Remove(kTemplate);
    fs.Remove(u"C:\\App\\real.html");
    row.make();
    files.files = {{kTemplate, kUtf8Mark + "x"}};
    EXPECT_TRUE(Generate());
    EXPECT_TRUE(files.files.contains(kPage));
  }
}

TEST_F(PageGenerationTest, LoadAndSaveFailuresAreRaised) {
  PutTemplate(kUtf8Mark + "x");
  files.openErrors[kTemplate] = kErrorSharingViolation;
  try {
    Generate();
    ADD_FAILURE() << "no failure raised";
  } catch (const Error& e) {
    EXPECT_EQ(e.Message(), u"Cannot open file \"C:\\App\\template.html\". Error 32");
  }
  EXPECT_EQ(sourceRoot, u"C:\\Data") << "the load failed before the root's turn";

  files.openErrors.clear();
  files.createErrors[kPage] = kErrorAccessDenied;
  try {
    Generate();
    ADD_FAILURE() << "no failure raised";
  } catch (const Error& e) {
    EXPECT_EQ(e.Message(), u"Cannot create file \"D:\\Out\\181208093000.html\". Error 5");
  }
  EXPECT_EQ(sourceRoot, u"C:/Data");
  EXPECT_FALSE(files.files.contains(kPage));
}

}  // namespace
}  // namespace ostrivel
