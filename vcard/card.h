// Raw vCard model: the cards of a file and their properties as the reader found them.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vcard {

enum class Version { V21, V30, V40 };

// One parameter value. A list such as TYPE=work,voice gives two entries; a
// vCard 2.1 bare parameter is filed under the name it implies (TYPE, ENCODING
// or VALUE). Names and TYPE values are upper case; other values are as
// written, quotes removed.
struct Param {
  std::string name;
  std::string value;
};

struct Card;

struct CardProperty {
  std::string group;          // "item1" of "item1.EMAIL", as written; empty if none
  std::string name;           // upper case: "TEL", "X-ABLABEL"
  std::vector<Param> params;
  std::u16string value;       // decoded to Unicode; text escapes still in place
  std::optional<std::vector<std::uint8_t>> binary;  // BASE64 / b / data: URI content
  std::string mediaType;      // from a data: URI, lower case ("image/jpeg")
  std::vector<Card> agent;    // the embedded card of an AGENT property (0 or 1)
  Version version = Version::V30;

  // Case-insensitive parameter queries.
  bool hasParam(std::string_view name, std::string_view value) const;
  std::optional<std::string_view> param(std::string_view name) const;
  // TYPE values, upper case, in order of appearance (TYPE=a,b; bare 2.1 types).
  std::vector<std::string> types() const;
  // The same without copies: a range of string_view over the TYPE values.
  class TypeRange;
  TypeRange typeValues() const;
  bool hasType(std::string_view type) const { return hasParam("TYPE", type); }
  // Preference rank: 4.0 PREF=1..100, TYPE=PREF counts as 1; 0 when not preferred.
  int prefRank() const;

  // The value with the version's text escapes resolved.
  std::u16string text() const;
  // A structured value (N, ADR, ORG): split on unescaped ';', each component
  // split on unescaped ',' (not in 2.1), every piece unescaped.
  std::vector<std::vector<std::u16string>> structured() const;
  // The same with each component's list joined by a separator: " " for the
  // parts of N, "," to keep an ORG or ADR component as written.
  std::vector<std::u16string> components(std::u16string_view listSeparator) const;
  // A list value (CATEGORIES, NICKNAME): split on unescaped ','.
  std::vector<std::u16string> list() const;
};

class CardProperty::TypeRange {
 public:
  class iterator {
   public:
    iterator(const Param* at, const Param* end) : at_(at), end_(end) { skip(); }
    std::string_view operator*() const { return at_->value; }
    iterator& operator++() {
      ++at_;
      skip();
      return *this;
    }
    bool operator==(const iterator& other) const { return at_ == other.at_; }

   private:
    void skip() {
      while (at_ != end_ && at_->name != "TYPE") ++at_;
    }
    const Param* at_;
    const Param* end_;
  };
  explicit TypeRange(const std::vector<Param>& params)
      : begin_(params.data()), end_(params.data() + params.size()) {}
  iterator begin() const { return {begin_, end_}; }
  iterator end() const { return {end_, end_}; }
  bool empty() const { return begin() == end(); }

 private:
  const Param* begin_;
  const Param* end_;
};

inline CardProperty::TypeRange CardProperty::typeValues() const { return TypeRange(params); }

struct Card {
  Version version = Version::V30;
  std::vector<CardProperty> properties;

  // First property with this (upper case) name, or nullptr.
  const CardProperty* find(std::string_view name) const;
};

}  // namespace vcard
