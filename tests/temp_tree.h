#pragma once
// A real directory tree for tests of the system back ends: a fresh folder
// under the system's temporary folder, removed with everything in it at the end.

#include <cstdint>
#include <string_view>

#include "core/text.h"

namespace ostrivel::testing {

class TempTree {
 public:
  TempTree();
  ~TempTree();
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  // The folder's absolute path, in the platform's form, without a trailing separator.
  const Text& Root() const { return root_; }
  // The platform's separator.
  char16_t Separator() const;
  // Root, separator, relative (whose "/" become the platform's separator).
  Text Path(std::u16string_view relative) const;

  void Dir(std::u16string_view relative);
  void File(std::u16string_view relative, uint64_t size = 0);
  // A symbolic link at `relative` to `target` (taken as it is, so it may be
  // relative to the link's folder). False where the platform refuses.
  bool Link(std::u16string_view relative, const Text& target, bool toDirectory);
  void Remove(std::u16string_view relative);
  // Sets the last-write time (a FILETIME, UTC) of the entry itself.
  void SetWriteTime(std::u16string_view relative, uint64_t fileTime);

 private:
  Text root_;
};

}  // namespace ostrivel::testing
