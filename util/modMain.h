// modMain: in-place sorting of a string list and removal of repeated entries.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillonet {

// Ordinal, case-sensitive order by UTF-16 code unit; a proper prefix sorts
// first, so "A" < "B" < "a" and "a" < "a b" < "a\b".
bool StringLess(std::u16string_view a, std::u16string_view b);

// The pivot position of SortStrings for lo..hi: the exact middle, an exact
// half rounded to the even neighbour (0,1 -> 0; 0,3 -> 2; 1,2 -> 2; 2,3 -> 2).
int PivotIndex(int lo, int hi);

// Quicksort of list[lo..hi] (both included) with the middle entry as pivot,
// the middle index rounded half to even. Entries outside the range are not
// touched. Throws std::out_of_range when lo or hi lies outside the list.
void SortStrings(std::vector<std::u16string>& list, int lo, int hi);

// On a sorted list: blanks each run of entries equal to the non-empty entry
// before them, then packs the non-empty entries to the front and shrinks the
// list to them. Only neighbours are compared, and an empty entry keeps two
// equal values apart. A list with no non-empty entry becomes the empty list.
void RemoveDuplicates(std::vector<std::u16string>& list);

}  // namespace quillonet
