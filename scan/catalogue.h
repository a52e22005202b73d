#pragma once
// Name order and the directory catalogue: the comparison behind every sort and
// lookup of names and paths, the sort and the bisection that go with it, and
// the walk that fills the catalogue.

#include <cstdint>

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

// Appends every directory below `root` to `dirList` (which already holds the
// root) and sorts the whole list. Any failure of the walk adds nothing.
void CollectDirectories(const Text& root, StringList& dirList, FileQueries& queries,
                        Collation& collation);

}  // namespace ostrivel
