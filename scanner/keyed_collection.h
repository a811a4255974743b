// KeyedCollection: an ordered collection with positions from 1 and a unique string key per element.
#pragma once

#include "scanner/scan_error.h"

#include <QHash>
#include <QString>

#include <vector>

namespace quillonet {

template <typename T>
class KeyedCollection {
 public:
  // Appends value under key; throws ScanError 457 when the key is taken
  // (the collection is then unchanged).
  void Add(const T& value, const QString& key) {
    if (positions_.contains(key))
      throw ScanError(ScanError::kDuplicateKey,
                      QStringLiteral("This key is already associated with an element of this collection: ") + key);
    positions_.insert(key, static_cast<qsizetype>(items_.size()));
    items_.push_back(value);
    keys_.push_back(key);
  }

  int Count() const { return static_cast<int>(items_.size()); }

  // Element at position 1..Count; throws ScanError 5 outside.
  const T& Item(int position) const {
    if (position < 1 || position > Count())
      throw ScanError(ScanError::kInvalidArgument, QStringLiteral("No element at position ") + QString::number(position));
    return items_[static_cast<size_t>(position - 1)];
  }

  // Element with the key; throws ScanError 5 when there is none.
  const T& Item(const QString& key) const {
    const auto found = positions_.constFind(key);
    if (found == positions_.cend())
      throw ScanError(ScanError::kInvalidArgument, QStringLiteral("No element with the key ") + key);
    return items_[static_cast<size_t>(*found)];
  }

  const QString& Key(int position) const {
    Item(position);
    return keys_[static_cast<size_t>(position - 1)];
  }

  // The elements in order, for range-for.
  const std::vector<T>& Items() const { return items_; }

 private:
  std::vector<T> items_;
  std::vector<QString> keys_;
  QHash<QString, qsizetype> positions_;
};

}  // namespace quillonet
