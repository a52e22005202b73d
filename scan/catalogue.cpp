#include "scan/catalogue.h"

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

namespace {

uint32_t HashOf(TextView text) {
  const size_t h = std::hash<TextView>()(text);
  return static_cast<uint32_t>(h ^ (h >> 32));
}

}  // namespace

void NameIndex::Build(const StringList& list, Collation& collation) {
  slots_.clear();
  lines_ = list.Lines().data();
  count_ = list.Count();
  // Only a list in order can answer as bisection does; one that is not (or a
  // collation that fails) is left to bisection.
  for (int32_t i = 1; i < list.Count(); ++i) {
    const int c = CompareNames(collation, list[i - 1], list[i]);
    if (c > 0 || c == -2) return;
  }
  size_t size = 16;
  while (size < 2 * static_cast<size_t>(list.Count())) size *= 2;
  slots_.resize(size);
  const size_t mask = size - 1;
  for (int32_t i = 0; i < list.Count(); ++i) {
    const uint32_t h = HashOf(list[i]);
    size_t at = h & mask;
    while (slots_[at].position >= 0) at = (at + 1) & mask;
    slots_[at] = Slot{h, i};
  }
}

bool NameIndex::Find(const StringList& list, TextView text, Collation& collation,
                     int32_t& index) {
  if (list.Lines().data() != lines_ || list.Count() != count_) Build(list, collation);
  if (!slots_.empty()) {
    const uint32_t h = HashOf(text);
    const size_t mask = slots_.size() - 1;
    for (size_t at = h & mask; slots_[at].position >= 0; at = (at + 1) & mask) {
      const int32_t k = slots_[at].position;
      if (slots_[at].hash != h || k >= list.Count() || list[k] != text) continue;
      // In a list in order, a line equal to the text whose neighbours come
      // strictly before and after it is where every bisection ends.
      if (CompareNames(collation, list[k], text) != 0) break;
      if (k > 0 && CompareNames(collation, list[k - 1], text) >= 0) break;
      if (k + 1 < list.Count() && CompareNames(collation, list[k + 1], text) <= 0) break;
      index = k;
      return true;
    }
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
