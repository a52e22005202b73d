#pragma once
// In-memory text files for tests: files are byte strings by path, and any
// primitive can be made to fail on demand (open, create, read, a write after
// so many bytes, short writes). Like Windows, a file cannot be removed while
// it is open.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "page/text_file.h"

namespace ostrivel::testing {

// A toy system code page: ISO 8859-1, and "?" for what it cannot represent.
inline constexpr uint32_t kFakeLatin1 = 28591;

class FakeTextFiles : public TextFiles {
 public:
  std::map<Text, std::string> files;
  uint32_t codePage = kFakeLatin1;   // what SystemCodePage reports
  Text currentFolder = u"C:\\work";  // relative paths are full below it

  std::map<Text, uint32_t> openErrors;    // OpenForRead of the path fails with this code
  std::map<Text, uint32_t> createErrors;  // Create of the path fails with this code
  bool failRead = false;
  std::optional<size_t> writeLimit;     // bytes a created file takes before writes fail
  size_t writeChunk = SIZE_MAX;         // most bytes one write call takes
  std::map<uint32_t, Text> errorTexts;  // raw texts; otherwise "Error <code>.\r\n"

  int openCount = 0;  // files open right now
  int writeCalls = 0;
  std::vector<Text> removed;  // successful removals, in order

  std::unique_ptr<OpenTextFile> OpenForRead(const Text& path, uint32_t& error) override;
  std::unique_ptr<OpenTextFile> Create(const Text& path, uint32_t& error) override;
  bool Remove(const Text& path) override;
  Text FullPath(const Text& path) override;
  Text ErrorText(uint32_t code) override;
  uint32_t SystemCodePage() override { return codePage; }
  // kFakeLatin1 here; every other code page by the platform's own conversion.
  Text Decode(uint32_t codePage, bool strict, std::string_view bytes) override;
  std::string Encode(uint32_t codePage, TextView text) override;

 private:
  friend class FakeOpenFile;
  std::map<Text, int> open_;  // open handles per full path
};

}  // namespace ostrivel::testing
