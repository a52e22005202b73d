#include "tests/fake_text_files.h"

namespace ostrivel::testing {

class FakeOpenFile : public OpenTextFile {
 public:
  FakeOpenFile(FakeTextFiles& owner, Text path, bool writable)
      : owner_(owner), path_(std::move(path)), writable_(writable) {
    ++owner_.openCount;
    ++owner_.open_[path_];
  }
  ~FakeOpenFile() override {
    --owner_.openCount;
    if (--owner_.open_[path_] == 0) owner_.open_.erase(path_);
  }

  bool ReadAll(std::string& bytes) override {
    if (owner_.failRead) return false;
    bytes = owner_.files[path_];
    return true;
  }

  size_t Write(std::string_view bytes) override {
    ++owner_.writeCalls;
    if (!writable_) return 0;
    size_t take = std::min(bytes.size(), owner_.writeChunk);
    if (owner_.writeLimit)
      take = std::min(take, *owner_.writeLimit - std::min(*owner_.writeLimit, written_));
    owner_.files[path_].append(bytes.substr(0, take));
    written_ += take;
    return take;
  }

 private:
  FakeTextFiles& owner_;
  Text path_;
  bool writable_;
  size_t written_ = 0;
};

std::unique_ptr<OpenTextFile> FakeTextFiles::OpenForRead(const Text& path, uint32_t& error) {
  const Text full = FullPath(path);
  if (auto it = openErrors.find(full); it != openErrors.end()) {
    error = it->second;
    return nullptr;
  }
  if (!files.contains(full)) {
    error = 2;  // ERROR_FILE_NOT_FOUND
    return nullptr;
  }
  return std::make_unique<FakeOpenFile>(*this, full, false);
}

std::unique_ptr<OpenTextFile> FakeTextFiles::Create(const Text& path, uint32_t& error) {
  const Text full = FullPath(path);
  if (auto it = createErrors.find(full); it != createErrors.end()) {
    error = it->second;
    return nullptr;
  }
  files[full].clear();  // CREATE_ALWAYS truncates
  return std::make_unique<FakeOpenFile>(*this, full, true);
}

bool FakeTextFiles::Remove(const Text& path) {
  const Text full = FullPath(path);
  if (open_.contains(full) || files.erase(full) == 0) return false;
  removed.push_back(full);
  return true;
}

Text FakeTextFiles::FullPath(const Text& path) {
  if (path.size() >= 2 && path[1] == u':') return path;
  return currentFolder + u"\\" + path;
}

Text FakeTextFiles::ErrorText(uint32_t code) {
  if (auto it = errorTexts.find(code); it != errorTexts.end()) return it->second;
  return u"Error " + Decimal(code) + u".\r\n";
}

Text FakeTextFiles::Decode(uint32_t page, bool strict, std::string_view bytes) {
  if (page != kFakeLatin1) return SystemTextFiles().Decode(page, strict, bytes);
  Text text;
  for (unsigned char byte : bytes) text.push_back(byte);
  return text;
}

std::string FakeTextFiles::Encode(uint32_t page, TextView text) {
  if (page != kFakeLatin1) return SystemTextFiles().Encode(page, text);
  std::string bytes;
  for (char16_t c : text) bytes.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
  return bytes;
}

}  // namespace ostrivel::testing
