#include "scan/catalogue.h"

#include <algorithm>
#include <climits>
#include <functional>
#include <utility>

namespace ostrivel {
namespace {

// The quicksort of name order. The pivot is a position that follows its entry
// when that entry is exchanged. The bounds on I and J only matter for a
// collation that does not find an entry equal to itself (a failing platform
// call); with any other they never stop a scan early.
void QuickSort(std::vector<Text>& v, int32_t left, int32_t right, Collation& c) {
  for (;;) {
    int32_t i = left;
    int32_t j = right;
    int32_t p = static_cast<int32_t>((static_cast<int64_t>(left) + right) / 2);
    do {
      while (i < right && CompareNames(c, v[i], v[p]) < 0) ++i;
      while (j > left && CompareNames(c, v[j], v[p]) > 0) --j;
      if (i <= j) {
        if (i != j) std::swap(v[i], v[j]);
        if (p == i) {
          p = j;
        } else if (p == j) {
          p = i;
        }
        ++i;
        --j;
      }
    } while (i <= j);
    // The two ranges are independent, so the order they are sorted in does
    // not change the result; taking the smaller one first bounds the depth.
    const bool sortLeft = left < j;
    const bool sortRight = i < right;
    if (sortLeft && sortRight) {
      if (j - left < right - i) {
        QuickSort(v, left, j, c);
        left = i;
      } else {
        QuickSort(v, i, right, c);
        right = j;
      }
    } else if (sortLeft) {
      right = j;
    } else if (sortRight) {
      left = i;
    } else {
      return;
    }
  }
}

}  // namespace

int CompareNames(Collation& collation, TextView a, TextView b) { return collation.Compare(a, b); }

void SortByName(StringList& list, Collation& collation) {
  if (list.Count() < 2) return;
  QuickSort(list.Lines(), 0, list.Count() - 1, collation);
}

bool FindByName(const StringList& list, TextView text, Collation& collation, int32_t& index) {
  int32_t low = 0;
  int32_t high = list.Count() - 1;
  bool found = false;
  while (low <= high) {
    const int32_t i = static_cast<int32_t>((static_cast<int64_t>(low) + high) / 2);
    const int c = CompareNames(collation, list[i], text);
    if (c < 0) {
      low = i + 1;
    } else {
      high = i - 1;
      if (c == 0) {
        found = true;
        low = i;
      }
    }
  }
  index = low;
  return found;
}

void NameIndex::Build(const StringList& list, Collation& collation) {
  entries_.clear();
  lines_ = list.Lines().data();
  count_ = list.Count();
  // Only a list in order can answer as bisection does; one that is not (or a
  // collation that fails) is left to bisection.
  for (int32_t i = 1; i < list.Count(); ++i) {
    const int c = CompareNames(collation, list[i - 1], list[i]);
    if (c > 0 || c == -2) return;
  }
  entries_.reserve(list.Lines().size());
  const std::hash<TextView> hash;
  for (int32_t i = 0; i < list.Count(); ++i) entries_.emplace_back(hash(list[i]), i);
  std::sort(entries_.begin(), entries_.end());
}

bool NameIndex::Find(const StringList& list, TextView text, Collation& collation,
                     int32_t& index) {
  if (list.Lines().data() != lines_ || list.Count() != count_) Build(list, collation);
  const size_t h = std::hash<TextView>()(text);
  auto it = std::lower_bound(entries_.begin(), entries_.end(), std::make_pair(h, INT32_MIN));
  for (; it != entries_.end() && it->first == h; ++it) {
    const int32_t k = it->second;
    if (k >= list.Count() || list[k] != text) continue;
    // In a list in order, a line equal to the text whose neighbours come
    // strictly before and after it is where every bisection ends.
    if (CompareNames(collation, list[k], text) != 0) break;
    if (k > 0 && CompareNames(collation, list[k - 1], text) >= 0) break;
    if (k + 1 < list.Count() && CompareNames(collation, list[k + 1], text) <= 0) break;
    index = k;
    return true;
  }
  return FindByName(list, text, collation, index);
}

void CollectDirectories(const Text& root, StringList& dirList, FileQueries& queries,
                        Collation& collation) {
  std::vector<Text> found;
  try {
    found = queries.ListAllDirectories(root);
  } catch (const Error&) {
    // The catalogue then holds the root alone; the records give it their fallbacks.
    found.clear();
  }
  for (Text& path : found) dirList.Add(std::move(path));
  SortByName(dirList, collation);
}

}  // namespace ostrivel
