#pragma once
// Name order and the directory catalogue: the comparison behind every sort and
// lookup of names and paths, the sort and the bisection that go with it, and
// the walk that fills the catalogue.

#include <cstdint>
#include <vector>

#include "core/text.h"
#include "page/string_list.h"
#include "scan/collation.h"
#include "scan/file_queries.h"

namespace ostrivel {

// Negative when a comes first, 0 when equal in name order, positive when b
// comes first; -2 when the platform's comparison fails.
int CompareNames(Collation& collation, TextView a, TextView b);

// Sorts the list in place by name order. Not stable: equal entries end in the
// order this particular quicksort leaves them.
void SortByName(StringList& list, Collation& collation);

// Bisection in a list sorted by SortByName. `index` is the position found, or
// the insertion position when nothing is equal to `text`.
bool FindByName(const StringList& list, TextView text, Collation& collation, int32_t& index);

// FindByName in one list that many lookups share (the catalogue, for every
// record's subdirectories): the same answers, found by hash and confirmed
// with at most three comparisons. Whatever it cannot confirm (a name with
// equal neighbours, a list out of order) is bisected. A list of another size
// or storage is indexed afresh; one refilled in place needs Forget.
class NameIndex {
 public:
  bool Find(const StringList& list, TextView text, Collation& collation, int32_t& index);
  // After the list was filled again: the next Find builds the index afresh.
  void Forget() { count_ = -1; }

 private:
  void Build(const StringList& list, Collation& collation);

  // Open addressing: a slot holds a line's position and its hash, or -1.
  struct Slot {
    uint32_t hash = 0;
    int32_t position = -1;
  };
  std::vector<Slot> slots_;       // a power of two, at least twice the lines
  const Text* lines_ = nullptr;  // the list it was built for
  int32_t count_ = -1;
};

// Appends every directory below `root` to `dirList` (which already holds the
// root) and sorts the whole list. Any failure of the walk adds nothing.
void CollectDirectories(const Text& root, StringList& dirList, FileQueries& queries,
                        Collation& collation);

}  // namespace ostrivel
