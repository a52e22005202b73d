#pragma once
// The listing page: the template with its fourteen placeholders replaced, in a
// fixed order, by the run's results and a few fixed values, saved in the
// output folder under the current time.

#include <cstdint>
#include <functional>

#include "core/text.h"
#include "page/string_list.h"

namespace ostrivel {

class Clock;
class FileSystem;
class RegionalSettings;
class TextFiles;

inline constexpr char16_t kAppName[] = u"Ostrivel";
inline constexpr char16_t kAppVersion[] = u"1.0";
inline constexpr char16_t kForumAddress[] = u"https://forum.vantreth.example/";
inline constexpr char16_t kTemplateFileName[] = u"template.html";

struct PageServices {
  FileSystem& fs;  // the template's existence test and the page path's separator
  TextFiles& textFiles;
  Clock& clock;
  const RegionalSettings& regional;
};

// The run's results as the page takes them.
struct PageContent {
  Text& sourceRoot;  // left in its "/" form once the template has been found
  const StringList& dirList;
  const StringList& recordLines;
  int64_t fileCount = 0;
  int64_t totalSize = 0;
  std::function<Text()> title;  // read when its placeholder's turn comes
};

// Whether the template counts as present: something that is not a directory,
// links followed.
bool TemplateExists(FileSystem& fs, const Text& path);

// Fills the template at `templatePath` and saves the page in `outputFolder`
// as yymmddhhnnss.html. False, with nothing read or written, when the
// template is missing. A failure to load the template or save the page is
// raised as Error. `pagePath`, when given, receives the page's path.
bool GeneratePage(const Text& outputFolder, const Text& templatePath, PageContent& content,
                  const PageServices& services, Text* pagePath = nullptr);

}  // namespace ostrivel
