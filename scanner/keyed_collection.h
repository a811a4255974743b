// KeyedCollection: an ordered collection with positions from 1 and a unique string key per element.
#pragma once

#include "scanner/scan_error.h"

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

namespace quillonet {

template <typename T>
class KeyedCollection {
 public:
  // Appends value under key; throws ScanError 457 when the key is taken
  // (the collection is then unchanged).
  void Add(const T& value, const std::u16string& key) {
    if (positions_.contains(key))
      throw ScanError(ScanError::kDuplicateKey,
                      u"This key is already associated with an element of this collection: " + key);
    positions_.emplace(key, items_.size());
    items_.push_back(value);
    keys_.push_back(key);
  }

  int Count() const { return static_cast<int>(items_.size()); }

  // Element at position 1..Count; throws ScanError 5 outside.
  const T& Item(int position) const {
    if (position < 1 || position > Count())
      throw ScanError(ScanError::kInvalidArgument, u"No element at position " + text::Number(position));
    return items_[static_cast<std::size_t>(position - 1)];
  }

  // Element with the key; throws ScanError 5 when there is none.
  const T& Item(const std::u16string& key) const {
    const auto found = positions_.find(key);
    if (found == positions_.end()) throw ScanError(ScanError::kInvalidArgument, u"No element with the key " + key);
    return items_[found->second];
  }

  const std::u16string& Key(int position) const {
    Item(position);
    return keys_[static_cast<std::size_t>(position - 1)];
  }

  // The elements in order, for range-for.
  const std::vector<T>& Items() const { return items_; }

 private:
  std::vector<T> items_;
  std::vector<std::u16string> keys_;
  std::unordered_map<std::u16string, std::size_t> positions_;
};

}  // namespace quillonet
