#include "tests/temp_tree.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "tests/temp_tree_platform.h"

namespace ostrivel::testing {

TempTree::TempTree() {
  std::random_device random;
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path candidate =
        base / ("ostrivel-test-" + std::to_string(random()) + std::to_string(attempt));
    if (std::filesystem::create_directory(candidate)) {
      // The final path, so that the results of a walk are comparable with it.
      root_ = PathText(std::filesystem::canonical(candidate));
      return;
    }
  }
  ADD_FAILURE() << "no temporary folder";
}

TempTree::~TempTree() {
  if (root_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(NativePath(root_), ignored);
}

Text TempTree::Path(std::u16string_view relative) const {
  Text path = root_;
  path += Separator();
  for (char16_t c : relative) path += c == u'/' ? Separator() : c;
  return path;
}

void TempTree::Dir(std::u16string_view relative) {
  std::filesystem::create_directories(NativePath(Path(relative)));
}

void TempTree::File(std::u16string_view relative, uint64_t size) {
  const std::filesystem::path path = NativePath(Path(relative));
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary).close();
  std::filesystem::resize_file(path, size);
}

bool TempTree::Link(std::u16string_view relative, const Text& target, bool toDirectory) {
  return MakeLink(Path(relative), target, toDirectory);
}

void TempTree::Remove(std::u16string_view relative) {
  std::filesystem::remove(NativePath(Path(relative)));
}

void TempTree::SetWriteTime(std::u16string_view relative, uint64_t fileTime) {
  EXPECT_TRUE(SetEntryWriteTime(Path(relative), fileTime)) << Utf8(relative);
}

}  // namespace ostrivel::testing
