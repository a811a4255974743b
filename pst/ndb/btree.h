// The NBT and BBT (MS-PST 2.2.2.7.7) held in memory as a copy-on-write
// B+-tree whose nodes are exactly the BTPAGEs on disk: a change dirties the
// path from its leaf to the root, and a commit writes only dirty pages, each
// to a new place, so the pages of the last commit are never overwritten.
#pragma once
#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "pst/little_endian.h"
#include "pst/ndb/layout.h"
#include "pst/ndb/page.h"

namespace pst::ndb {

// Traits: Entry (a compact leaf entry), key(Entry), serialize(Entry, out),
// kLeafCap, kEntrySize (on disk), kPageType.
template <class Traits>
class PageTree {
 public:
  using Entry = typename Traits::Entry;
  static constexpr int kLeafCap = Traits::kLeafCap;
  static constexpr int kInnerCap = 20;  // BTENTRY: 488 / 24

  PageTree() : root_(std::make_unique<Leaf>()) {}

  std::size_t size() const { return size_; }
  int depth() const { return root_->level; }

  const Entry* find(std::uint64_t key) const {
    const Node* n = root_.get();
    while (n->level > 0) {
      const auto* in = static_cast<const Inner*>(n);
      int i = childFor(in, key);
      if (i < 0) return nullptr;
      n = in->child[i].get();
    }
    const auto* leaf = static_cast<const Leaf*>(n);
    int pos = lowerBound(leaf, key);
    return pos < leaf->count && Traits::key(leaf->e[pos]) == key ? &leaf->e[pos] : nullptr;
  }

  // Inserts e, or replaces the entry with its key. True if inserted.
  bool insertOrAssign(const Entry& e) {
    bool inserted = false;
    if (auto right = insertRec(root_.get(), e, inserted)) {
      auto root = std::make_unique<Inner>();
      root->level = static_cast<std::uint8_t>(root_->level + 1);
      root->key[0] = firstKey(root_.get());
      root->key[1] = firstKey(right.get());
      root->child[0] = std::move(root_);
      root->child[1] = std::move(right);
      root->count = 2;
      root_ = std::move(root);
    }
    if (inserted) ++size_;
    return inserted;
  }

  // Removes the entry with key; false if there is none.
  bool erase(std::uint64_t key) {
    if (!eraseRec(root_.get(), key)) return false;
    --size_;
    while (root_->level > 0 && root_->count <= 1) {
      auto* in = static_cast<Inner*>(root_.get());
      std::unique_ptr<Node> next = in->count ? std::move(in->child[0]) : std::make_unique<Leaf>();
      retire(root_.get());
      root_ = std::move(next);
    }
    return true;
  }

  // Pages dropped from the tree since the last call (their old places).
  std::vector<Bref> takeRetired() { return std::exchange(retired_, {}); }

  // Writes every dirty page, children first. place() gives a new Bref for a
  // page, write(page, ref) stores it; a rewritten page's old Bref is retired.
  // Returns the root's Bref.
  template <class Place, class Write>
  Bref flush(Place&& place, Write&& write) {
    flushRec(root_.get(), place, write);
    return root_->ref;
  }

 private:
  struct Node {
    virtual ~Node() = default;
    Bref ref;  // where the last written version lives; bid 0 = never written
    bool dirty = true;
    std::uint8_t level = 0;
    std::uint8_t count = 0;
  };
  struct Leaf final : Node {
    std::array<Entry, kLeafCap> e;
  };
  struct Inner final : Node {
    std::array<std::uint64_t, kInnerCap> key{};
    std::array<std::unique_ptr<Node>, kInnerCap> child;
  };

  static int lowerBound(const Leaf* l, std::uint64_t key) {
    int lo = 0, hi = l->count;
    while (lo < hi) {
      int mid = (lo + hi) / 2;
      if (Traits::key(l->e[mid]) < key) lo = mid + 1; else hi = mid;
    }
    return lo;
  }
  // Index of the child whose range holds key; -1 if key is below every child.
  static int childFor(const Inner* in, std::uint64_t key) {
    int i = static_cast<int>(std::upper_bound(in->key.begin(), in->key.begin() + in->count, key) - in->key.begin());
    return i - 1;
  }
  static std::uint64_t firstKey(const Node* n) {
    return n->level == 0 ? Traits::key(static_cast<const Leaf*>(n)->e[0]) : static_cast<const Inner*>(n)->key[0];
  }
  static int capacity(const Node* n) { return n->level == 0 ? kLeafCap : kInnerCap; }

  void retire(Node* n) {
    if (n->ref.bid) retired_.push_back(n->ref);
    n->ref = {};
  }
  void retireSubtree(Node* n) {
    if (n->level > 0) {
      auto* in = static_cast<Inner*>(n);
      for (int i = 0; i < in->count; ++i) retireSubtree(in->child[i].get());
    }
    retire(n);
  }

  std::unique_ptr<Node> insertRec(Node* n, const Entry& e, bool& inserted) {
    n->dirty = true;
    const std::uint64_t k = Traits::key(e);
    if (n->level == 0) {
      auto* l = static_cast<Leaf*>(n);
      int pos = lowerBound(l, k);
      if (pos < l->count && Traits::key(l->e[pos]) == k) {
        l->e[pos] = e;
        return nullptr;
      }
      inserted = true;
      if (l->count < kLeafCap) {
        std::copy_backward(l->e.begin() + pos, l->e.begin() + l->count, l->e.begin() + l->count + 1);
        l->e[pos] = e;
        ++l->count;
        return nullptr;
      }
      auto r = std::make_unique<Leaf>();
      if (pos == l->count) {  // appending: keep the left page full
        r->e[0] = e;
        r->count = 1;
        return r;
      }
      int mid = kLeafCap / 2;
      std::copy(l->e.begin() + mid, l->e.begin() + kLeafCap, r->e.begin());
      r->count = static_cast<std::uint8_t>(kLeafCap - mid);
      l->count = static_cast<std::uint8_t>(mid);
      Leaf* target = pos <= mid ? l : r.get();
      int at = pos <= mid ? pos : pos - mid;
      std::copy_backward(target->e.begin() + at, target->e.begin() + target->count,
                         target->e.begin() + target->count + 1);
      target->e[at] = e;
      ++target->count;
      return r;
    }
    auto* in = static_cast<Inner*>(n);
    int i = std::max(childFor(in, k), 0);
    auto split = insertRec(in->child[i].get(), e, inserted);
    in->key[i] = firstKey(in->child[i].get());
    if (!split) return nullptr;
    return insertChild(in, i + 1, std::move(split));
  }

  std::unique_ptr<Node> insertChild(Inner* in, int pos, std::unique_ptr<Node> c) {
    const std::uint64_t ck = firstKey(c.get());
    if (in->count < kInnerCap) {
      shiftRight(in, pos);
      in->key[pos] = ck;
      in->child[pos] = std::move(c);
      ++in->count;
      return nullptr;
    }
    auto r = std::make_unique<Inner>();
    r->level = in->level;
    if (pos == in->count) {
      r->key[0] = ck;
      r->child[0] = std::move(c);
      r->count = 1;
      return r;
    }
    int mid = kInnerCap / 2;
    for (int j = mid; j < kInnerCap; ++j) {
      r->key[j - mid] = in->key[j];
      r->child[j - mid] = std::move(in->child[j]);
    }
    r->count = static_cast<std::uint8_t>(kInnerCap - mid);
    in->count = static_cast<std::uint8_t>(mid);
    Inner* target = pos <= mid ? in : r.get();
    int at = pos <= mid ? pos : pos - mid;
    shiftRight(target, at);
    target->key[at] = ck;
    target->child[at] = std::move(c);
    ++target->count;
    return r;
  }

  static void shiftRight(Inner* in, int pos) {
    for (int j = in->count; j > pos; --j) {
      in->key[j] = in->key[j - 1];
      in->child[j] = std::move(in->child[j - 1]);
    }
  }
  static void removeChild(Inner* in, int pos) {
    for (int j = pos; j + 1 < in->count; ++j) {
      in->key[j] = in->key[j + 1];
      in->child[j] = std::move(in->child[j + 1]);
    }
    in->child[in->count - 1].reset();
    --in->count;
  }

  bool eraseRec(Node* n, std::uint64_t k) {
    if (n->level == 0) {
      auto* l = static_cast<Leaf*>(n);
      int pos = lowerBound(l, k);
      if (pos >= l->count || Traits::key(l->e[pos]) != k) return false;
      std::copy(l->e.begin() + pos + 1, l->e.begin() + l->count, l->e.begin() + pos);
      --l->count;
      n->dirty = true;
      return true;
    }
    auto* in = static_cast<Inner*>(n);
    int i = childFor(in, k);
    if (i < 0 || !eraseRec(in->child[i].get(), k)) return false;
    n->dirty = true;
    Node* c = in->child[i].get();
    if (c->count == 0) {
      retireSubtree(c);
      removeChild(in, i);
      return true;
    }
    in->key[i] = firstKey(c);
    // Merge with a neighbour when both fit in one page, so deletions do not
    // leave a trail of nearly empty pages.
    if (i + 1 < in->count && c->count + in->child[i + 1]->count <= capacity(c)) {
      merge(c, in->child[i + 1].get());
      retire(in->child[i + 1].get());
      removeChild(in, i + 1);
    } else if (i > 0 && in->child[i - 1]->count + c->count <= capacity(c)) {
      merge(in->child[i - 1].get(), c);
      retire(c);
      removeChild(in, i);
    }
    return true;
  }

  // Moves every entry of right to the end of left.
  static void merge(Node* left, Node* right) {
    left->dirty = true;
    if (left->level == 0) {
      auto* l = static_cast<Leaf*>(left);
      auto* r = static_cast<Leaf*>(right);
      std::copy(r->e.begin(), r->e.begin() + r->count, l->e.begin() + l->count);
    } else {
      auto* l = static_cast<Inner*>(left);
      auto* r = static_cast<Inner*>(right);
      for (int j = 0; j < r->count; ++j) {
        l->key[l->count + j] = r->key[j];
        l->child[l->count + j] = std::move(r->child[j]);
      }
    }
    left->count = static_cast<std::uint8_t>(left->count + right->count);
    right->count = 0;
  }

  template <class Place, class Write>
  void flushRec(Node* n, Place& place, Write& write) {
    if (!n->dirty) return;
    Page page{};
    if (n->level == 0) {
      auto* l = static_cast<Leaf*>(n);
      for (int j = 0; j < l->count; ++j) Traits::serialize(l->e[j], page.data() + j * Traits::kEntrySize);
      page[0x1E9] = static_cast<std::uint8_t>(kLeafCap);
      page[0x1EA] = static_cast<std::uint8_t>(Traits::kEntrySize);
    } else {
      auto* in = static_cast<Inner*>(n);
      for (int j = 0; j < in->count; ++j) {
        flushRec(in->child[j].get(), place, write);
        std::uint8_t* at = page.data() + j * 24;
        le::put<std::uint64_t>(at, in->key[j]);
        le::put<std::uint64_t>(at + 8, in->child[j]->ref.bid);
        le::put<std::uint64_t>(at + 16, in->child[j]->ref.ib);
      }
      page[0x1E9] = kInnerCap;
      page[0x1EA] = 24;
    }
    page[0x1E8] = n->count;
    page[0x1EB] = n->level;
    retire(n);
    n->ref = place();
    sealPage(page, Traits::kPageType, n->ref.ib, n->ref.bid);
    write(page, n->ref);
    n->dirty = false;
  }

  std::unique_ptr<Node> root_;
  std::size_t size_ = 0;
  std::vector<Bref> retired_;
};

}  // namespace pst::ndb
