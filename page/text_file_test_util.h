#pragma once
// A temporary folder on the real disk for the tests of the text-file back ends.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "core/error.h"
#include "core/text.h"

namespace ostrivel::testing {

class TempFolder {
 public:
  TempFolder() {
    std::random_device random;
    folder_ = std::filesystem::temp_directory_path() /
              ("ostrivel-text-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(folder_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Folder() const { return folder_; }
  Text FolderText() const { return folder_.u16string(); }
  // The path of `name` in the folder, as the text-file primitives take it.
  Text PathOf(std::string_view name) const { return (folder_ / U(name)).u16string(); }

  void Write(std::string_view name, std::string_view bytes) const {
    std::ofstream out(folder_ / U(name), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  std::string Read(std::string_view name) const {
    std::ifstream in(folder_ / U(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  bool Exists(std::string_view name) const { return std::filesystem::exists(folder_ / U(name)); }

 private:
  std::filesystem::path folder_;
};

// The message of the Error that `action` raises; empty when it raises none.
template <typename Action>
Text FailureOf(Action action) {
  try {
    action();
  } catch (const Error& e) {
    return e.Message();
  }
  return u"";
}

}  // namespace ostrivel::testing
