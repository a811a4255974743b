// Tests of SortStrings and RemoveDuplicates.
#include "util/modMain.h"

#include <gtest/gtest.h>

#include "util/text.h"

#include <QRandomGenerator>

#include <algorithm>
#include <stdexcept>

using namespace quillonet;

namespace {
using List = std::vector<std::u16string>;
List L(std::initializer_list<const char*> items) {
  List out;
  for (const char* s : items) out.push_back(text::FromUtf8(s));
  return out;
}
}  // namespace

TEST(StringOrder, OrdinalCaseSensitivePrefixFirst) {
  EXPECT_TRUE(StringLess(u"A", u"B"));
  EXPECT_TRUE(StringLess(u"B", u"a"));
  EXPECT_TRUE(StringLess(u"a", u"a b"));
  EXPECT_TRUE(StringLess(u"a b", u"a\\b"));
  EXPECT_TRUE(StringLess(u"", u"\x01"));
  EXPECT_FALSE(StringLess(u"a", u"a"));
  // By UTF-16 code unit: a surrogate pair (U+1F600) sorts below U+FF21.
  EXPECT_TRUE(StringLess(u"\U0001F600", u"\uFF21"));
  // No locale: an accented letter sorts after every ASCII letter.
  EXPECT_TRUE(StringLess(u"z", u"\u00E9"));
}

TEST(SortStrings, CaseOrderAndPartialRange) {
  List l = L({"b", "B", "a", "A"});
  SortStrings(l, 0, 3);
  EXPECT_EQ(l, L({"A", "B", "a", "b"}));

  List p = L({"x", "r", "q", "p"});
  SortStrings(p, 1, 3);
  EXPECT_EQ(p, L({"x", "p", "q", "r"}));

  List inner = L({"z", "d", "c", "b", "a", "0"});
  SortStrings(inner, 1, 4);
  EXPECT_EQ(inner, L({"z", "a", "b", "c", "d", "0"}));
}

TEST(SortStrings, SingleEntryAndEqualEntries) {
  List one = L({"q", "b", "a"});
  SortStrings(one, 1, 1);
  EXPECT_EQ(one, L({"q", "b", "a"}));

  List same = L({"k", "k", "k", "k", "k"});
  SortStrings(same, 0, 4);
  EXPECT_EQ(same, L({"k", "k", "k", "k", "k"}));
}

TEST(SortStrings, PivotRoundsHalfToEven) {
  EXPECT_EQ(PivotIndex(0, 1), 0);
  EXPECT_EQ(PivotIndex(0, 3), 2);
  EXPECT_EQ(PivotIndex(1, 2), 2);
  EXPECT_EQ(PivotIndex(2, 3), 2);
  EXPECT_EQ(PivotIndex(4, 4), 4);
  EXPECT_EQ(PivotIndex(3, 6), 4);
  EXPECT_EQ(PivotIndex(0x7ffffffe, 0x7fffffff), 0x7ffffffe);
}

TEST(SortStrings, AgreesWithOrdinalSortOnRandomLists) {
  QRandomGenerator rng(1234);
  for (int round = 0; round < 200; ++round) {
    List l;
    const int n = 1 + rng.bounded(40);
    for (int k = 0; k < n; ++k) {
      std::u16string s;
      const int len = rng.bounded(4);
      for (int c = 0; c < len; ++c) s += u"aAb\\ B"[rng.bounded(6)];
      l.push_back(s);
    }
    const int lo = rng.bounded(n);
    const int hi = lo + rng.bounded(n - lo);
    List expected = l;
    std::sort(expected.begin() + lo, expected.begin() + hi + 1, StringLess);
    SortStrings(l, lo, hi);
    ASSERT_EQ(l, expected) << "round " << round << " range " << lo << ".." << hi;
  }
}

TEST(SortStrings, RangeOutsideListIsAnError) {
  List l = L({"b", "a"});
  EXPECT_THROW(SortStrings(l, 0, 2), std::out_of_range);
  EXPECT_THROW(SortStrings(l, -1, 1), std::out_of_range);
  EXPECT_EQ(l, L({"b", "a"}));
}

TEST(RemoveDuplicates, RunsEmptiesAndSeparatedRepeats) {
  List runs = L({"p", "p", "q", "q", "q", "r"});
  RemoveDuplicates(runs);
  EXPECT_EQ(runs, L({"p", "q", "r"}));

  List leadingEmpty = L({"", "a", "a"});
  RemoveDuplicates(leadingEmpty);
  EXPECT_EQ(leadingEmpty, L({"a"}));

  // An empty entry between two equal values keeps them apart.
  List apart = L({"a", "", "a"});
  RemoveDuplicates(apart);
  EXPECT_EQ(apart, L({"a", "a"}));

  List tail = L({"a", "b", "b", "b"});
  RemoveDuplicates(tail);
  EXPECT_EQ(tail, L({"a", "b"}));

  // Case matters: "A" and "a" are different values.
  List cased = L({"A", "a", "a"});
  RemoveDuplicates(cased);
  EXPECT_EQ(cased, L({"A", "a"}));
}

TEST(RemoveDuplicates, NothingLeftGivesTheEmptyList) {
  List blanks = L({"", "", ""});
  RemoveDuplicates(blanks);
  EXPECT_TRUE(blanks.empty());
  List none;
  RemoveDuplicates(none);
  EXPECT_TRUE(none.empty());
}

TEST(FolderList, SortThenRemoveGivesParentsFirst) {
  // The import run's use: folders of the files with an empty last entry,
  // then with every ancestor appended.
  List folders = L({"x\\y", "x\\z", "w", "x\\y", ""});
  SortStrings(folders, 0, 3);
  RemoveDuplicates(folders);
  EXPECT_EQ(folders, L({"w", "x\\y", "x\\z"}));
  folders.insert(folders.end(), {u"x", u"x"});
  SortStrings(folders, 0, static_cast<int>(folders.size()) - 1);
  RemoveDuplicates(folders);
  EXPECT_EQ(folders, L({"w", "x", "x\\y", "x\\z"}));
}
