#include "page/page_generation.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "core/clock.h"
#include "page/date_time.h"
#include "page/date_value.h"
#include "page/text_file.h"
#include "scan/file_system.h"

namespace ostrivel {
namespace {

bool HoldsLineBreak(TextView text) {
  // No early exit: the loop then takes many characters at a time, and the
  // record lines it looks at hold no line break.
  bool found = false;
  for (const char16_t c : text) found |= (c == u'\r') | (c == u'\n') | (c == u'\0');
  return found;
}

// One step of the placeholder table: in the list text, every occurrence of
// the placeholder replaced by the value, and the text split into lines again.
// No placeholder holds a line break, so occurrences lie within single lines
// and the lines can be worked on in place; only a value holding a line break
// needs the whole text joined and split again.
void ReplaceStep(StringList& page, TextView placeholder, TextView value) {
  if (HoldsLineBreak(value)) {
    const Text text = page.GetText();
    if (text.find(placeholder) == Text::npos) return;
    page.SetText(ReplaceAll(text, placeholder, value));
    return;
  }
  for (Text& line : page.Lines()) {
    if (line.find(placeholder) != Text::npos) line = ReplaceAll(line, placeholder, value);
  }
}

// The last step, "[DIR DATA]" by the record block, as the pieces of the page
// text, without building the block or the page as one text: a template line
// s0 P s1 ... P sk becomes the lines s0+R0, R1 ... Rn-1, s1+R0, R1 ... Rn-1,
// ..., sk, which is what splitting the joined text would give for records
// that hold no line break. The pieces refer to the page and the records.
std::vector<TextView> PagePieces(StringList& page, TextView placeholder,
                                 const StringList& records) {
  const bool plain =
      records.Count() > 0 && std::none_of(records.Lines().begin(), records.Lines().end(),
                                          [](const Text& line) { return HoldsLineBreak(line); });
  if (!plain) {
    // No records, or records holding line breaks: the literal way.
    ReplaceStep(page, placeholder, records.GetText());
  }
  constexpr TextView kLineEnd = u"\r\n";
  const std::vector<Text>& block = records.Lines();
  std::vector<TextView> pieces;
  for (const Text& line : page.Lines()) {
    const TextView text = line;
    size_t hit = plain ? text.find(placeholder) : TextView::npos;
    size_t start = 0;
    while (hit != TextView::npos) {
      pieces.push_back(text.substr(start, hit - start));
      for (const Text& record : block) {
        pieces.push_back(record);
        pieces.push_back(kLineEnd);
      }
      start = hit + placeholder.size();
      hit = text.find(placeholder, start);
    }
    pieces.push_back(text.substr(start));
    pieces.push_back(kLineEnd);
  }
  return pieces;
}

}  // namespace

bool TemplateExists(FileSystem& fs, const Text& path) {
  uint32_t attributes = 0;
  uint32_t error = 0;
  if (!fs.GetAttributes(path, attributes, error)) {
    if (error == kErrorFileNotFound || error == kErrorPathNotFound || error == kErrorInvalidName) {
      return false;
    }
    // Attributes refused for another reason: the search may still see it.
    SearchEntry entry;
    return fs.FindEntry(path, entry) && (entry.attributes & kAttrDirectory) == 0;
  }
  if ((attributes & kAttrReparsePoint) == 0) return (attributes & kAttrDirectory) == 0;
  if ((attributes & kAttrDirectory) != 0) return false;
  // A link to a file: present when its target opens, or is merely held open
  // by someone else.
  uint32_t openError = 0;
  return fs.OpenFollowingLinks(path, openError) || openError == kErrorSharingViolation;
}

bool GeneratePage(const Text& outputFolder, const Text& templatePath, PageContent& content,
                  const PageServices& services, Text* pagePath) {
  if (!TemplateExists(services.fs, templatePath)) return false;

  StringList page;
  LoadFromFile(page, templatePath, services.textFiles);

  const RegionalSettings& regional = services.regional;
  ReplaceStep(page, u"[APP NAME]", kAppName);
  ReplaceStep(page, u"[APP VER]", kAppVersion);
  ReplaceStep(page, u"[GEN DATE]", regional.ShortDateText(CurrentDateTime(services.clock)));
  ReplaceStep(page, u"[GEN TIME]", regional.LongTimeText(CurrentDateTime(services.clock)));
  ReplaceStep(page, u"[APP LINK]", kForumAddress);
  ReplaceStep(page, u"[TITLE]", content.title ? content.title() : Text());
  ReplaceStep(page, u"[LINK FILES]", u"false");
  ReplaceStep(page, u"[LINK PROTOCOL]", u"");
  ReplaceStep(page, u"[LINK ROOT]", u"");
  std::replace(content.sourceRoot.begin(), content.sourceRoot.end(), u'\\', u'/');
  ReplaceStep(page, u"[SOURCE ROOT]", content.sourceRoot);
  ReplaceStep(page, u"[NUM FILES]", Decimal(content.fileCount));
  ReplaceStep(page, u"[NUM DIRS]", Decimal(content.dirList.Count()));
  ReplaceStep(page, u"[TOT SIZE]", Decimal(content.totalSize));
  const std::vector<TextView> pieces = PagePieces(page, u"[DIR DATA]", content.recordLines);

  // On POSIX "\" is an ordinary character of a name, so the page is joined to
  // the folder with the platform's own separator.
  const char16_t separator = services.fs.Style() == PathStyle::Windows ? u'\\' : u'/';
  Text path = outputFolder;
  path.push_back(separator);
  path.append(regional.DateTimeText(u"yymmddhhnnss", CurrentDateTime(services.clock)));
  path.append(u".html");

  SavePiecesToFile(pieces, page.fileEncoding, path, services.textFiles);
  if (pagePath) *pagePath = std::move(path);
  return true;
}

}  // namespace ostrivel
