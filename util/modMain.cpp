// modMain: quicksort with a middle pivot and removal of repeated neighbours.
#include "util/modMain.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace quillonet {
namespace {

void SortRange(std::vector<std::u16string>& list, int lo, int hi) {
  // Loop on the larger part and recurse into the smaller one, so the stack
  // stays shallow; the two parts are disjoint, so the result is the same.
  while (true) {
    int i = lo;
    int j = hi;
    const std::u16string pivot = list[static_cast<std::size_t>(PivotIndex(lo, hi))];
    while (true) {
      while (StringLess(list[i], pivot) && i < hi) ++i;
      while (StringLess(pivot, list[j]) && j > lo) --j;
      if (i > j) break;
      list[static_cast<std::size_t>(i)].swap(list[static_cast<std::size_t>(j)]);
      ++i;
      --j;
      if (i > j) break;
    }
    const bool left = lo < j;
    const bool right = i < hi;
    if (left && right) {
      if (j - lo < hi - i) {
        SortRange(list, lo, j);
        lo = i;
      } else {
        SortRange(list, i, hi);
        hi = j;
      }
    } else if (left) {
      hi = j;
    } else if (right) {
      lo = i;
    } else {
      return;
    }
  }
}

}  // namespace

int PivotIndex(int lo, int hi) {
  const long long sum = static_cast<long long>(lo) + hi;
  long long m = sum / 2;
  if (sum % 2 != 0 && m % 2 != 0) m += 1;
  return static_cast<int>(m);
}

bool StringLess(std::u16string_view a, std::u16string_view b) { return a < b; }

void SortStrings(std::vector<std::u16string>& list, int lo, int hi) {
  const auto inside = [&](int index) { return index >= 0 && static_cast<std::size_t>(index) < list.size(); };
  if (!inside(lo) || !inside(hi)) {
    throw std::out_of_range("SortStrings: range " + std::to_string(lo) + " to " + std::to_string(hi) +
                            " outside a list of " + std::to_string(list.size()) + " entries");
  }
  SortRange(list, lo, hi);
}

void RemoveDuplicates(std::vector<std::u16string>& list) {
  const std::ptrdiff_t n = static_cast<std::ptrdiff_t>(list.size()) - 1;
  // Blank the repeats: each non-empty entry blanks the equal entries right
  // after it, up to the first one that differs.
  std::ptrdiff_t j = 0;
  std::ptrdiff_t d = 1;
  while (j <= n) {
    if (j + d > n) break;
    if (!list[j].empty() && list[j + d] == list[j]) {
      list[j + d].clear();
      ++d;
    } else {
      if (!list[j].empty()) d = 1;
      ++j;
    }
  }
  // Pack the non-empty entries and shrink to them.
  std::size_t k = 0;
  for (j = 0; j <= n; ++j) {
    if (!list[j].empty()) {
      if (k != static_cast<std::size_t>(j)) list[k] = std::move(list[j]);
      ++k;
    }
  }
  list.resize(k);
}

}  // namespace quillonet
