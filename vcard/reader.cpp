// vCard reader: physical lines -> logical lines -> cards -> properties, tolerant of real files.
#include "vcard/reader.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "vcard/card_bounds.h"
#include "vcard/text.h"
#include "vcard/text_form.h"

namespace vcard {

namespace {

using detail::equalsNoCase;
using detail::startsWithNoCase;

// Deeper AGENT nesting than this is read as flat lines; no real card needs it.
constexpr int kMaxDepth = kMaxCardDepth;

struct RawCard;

// One logical line: folds joined. Where a fold was joined the whitespace that
// followed the line break is still in the text; its offsets are kept because
// vCard 2.1 keeps that whitespace and 3.0/4.0 drop it, and the version may
// only be known at the end of the card. A line that is one physical line
// stays a view into the input.
struct RawLine {
  std::string_view view;
  std::string owned;
  bool joined = false;
  std::vector<std::uint32_t> folds;
  std::vector<RawCard> nested;  // the embedded card of an AGENT line
  bool inlineAgent = false;     // "AGENT:BEGIN:VCARD" on one line

  std::string_view text() const { return joined ? std::string_view(owned) : view; }
  std::string& own() {
    if (!joined) owned.assign(view), joined = true;
    return owned;
  }
};

struct RawCard {
  std::vector<RawLine> lines;
};

bool isSpace(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && (isSpace(s.front()) || s.front() == '\0')) s.remove_prefix(1);
  while (!s.empty() && (isSpace(s.back()) || s.back() == '\0')) s.remove_suffix(1);
  return s;
}

bool containsNoCase(std::string_view text, std::string_view needle) {
  if (needle.empty() || needle.size() > text.size()) return false;
  const char first = needle.front();  // upper case
  for (std::size_t i = 0; i + needle.size() <= text.size(); ++i) {
    const char c = text[i];
    if ((c == first || c == first + 32) && equalsNoCase(text.substr(i, needle.size()), needle)) return true;
  }
  return false;
}

// Physical lines, ended by CRLF, LF or a lone CR; current() is the next unread one.
class PhysicalLines {
 public:
  explicit PhysicalLines(std::string_view text) : text_(text) { advance(); }
  bool done() const { return !has_; }
  std::string_view current() const { return current_; }
  void advance() {
    has_ = pos_ < text_.size();
    if (!has_) return;
    const char* begin = text_.data() + pos_;
    const std::size_t end = std::min(next('\n', nextLf_), next('\r', nextCr_));
    current_ = std::string_view(begin, end - pos_);
    // Exports joined into one file keep each part's byte-order mark (UTF-8
    // here: a UTF-16 file has been turned into UTF-8).
    current_.remove_prefix(lineMarkSize(current_, TextEncoding::Bytes));
    pos_ = end;
    if (pos_ < text_.size() && text_[pos_] == '\r') {
      ++pos_;
      // CR CR LF is a CRLF that went through a text-mode write twice: one break.
      if (pos_ + 1 < text_.size() && text_[pos_] == '\r' && text_[pos_ + 1] == '\n') ++pos_;
      if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
    } else if (pos_ < text_.size()) {
      ++pos_;  // '\n'
    }
  }

 private:
  // The next c at or after pos_ (the end of the text if none), remembered in
  // found so that each kind of break is searched for once over the text.
  std::size_t next(char c, std::size_t& found) const {
    if (found < pos_ || found == kUnknown) {
      const void* at = std::memchr(text_.data() + pos_, c, text_.size() - pos_);
      found = at ? static_cast<std::size_t>(static_cast<const char*>(at) - text_.data()) : text_.size();
    }
    return found;
  }

  static constexpr std::size_t kUnknown = static_cast<std::size_t>(-1);
  std::string_view text_;
  std::size_t pos_ = 0;
  std::size_t nextLf_ = kUnknown;
  std::size_t nextCr_ = kUnknown;
  std::string_view current_;
  bool has_ = false;
};

// The part before the first ':' (name, group and parameters, roughly).
std::string_view headerOf(std::string_view line) {
  const std::size_t colon = line.find(':');
  return colon == std::string_view::npos ? line : line.substr(0, colon);
}

// The property name of a line, without group and parameters.
std::string_view nameOf(std::string_view line) {
  std::string_view head = headerOf(line);
  head = head.substr(0, head.find(';'));
  if (const std::size_t dot = head.rfind('.'); dot != std::string_view::npos)
    head = head.substr(dot + 1);
  return trim(head);
}

std::string_view valueOf(std::string_view line) {
  const std::size_t colon = line.find(':');
  return colon == std::string_view::npos ? std::string_view() : line.substr(colon + 1);
}

// A marker line ends every fold and soft break: it is a card boundary.
bool isMarker(std::string_view line) { return markerOf(line) != Marker::None; }

bool isBase64Header(std::string_view header) {
  return containsNoCase(header, "BASE64") || containsNoCase(header, "ENCODING=B");
}

bool endsWithSoftBreak(std::string_view text) {
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  return !text.empty() && text.back() == '=';
}

// Logical lines: joins folded lines, quoted-printable soft breaks and the
// unindented continuation lines some 2.1 writers put after a BASE64 property.
class LogicalLines {
 public:
  explicit LogicalLines(std::string_view text) : phys_(text) {}

  bool next(RawLine& line) {
    while (!phys_.done()) {
      std::string_view first = phys_.current();
      phys_.advance();
      if (trim(first).empty()) continue;
      if (isSpace(first.front())) first = trim(first);  // a stray continuation: read as a line
      line = RawLine{};
      line.view = first;
      if (isMarker(first)) return true;
      bool headerDone = false, qp = false, b64 = false;
      // Looks for the end of the header in text appended from `from` on, so
      // that a huge line without a colon is still scanned once.
      auto findHeader = [&](std::size_t from) {
        if (headerDone || line.text().find(':', from) == std::string_view::npos) return;
        headerDone = true;
        const std::string_view header = headerOf(line.text());
        qp = containsNoCase(header, "QUOTED-PRINTABLE");
        b64 = isBase64Header(header);
      };
      findHeader(0);
      while (!phys_.done()) {
        const std::string_view next = phys_.current();
        if (isMarker(next)) break;
        if (qp && endsWithSoftBreak(line.text())) {
          std::string& text = line.own();
          while (text.back() != '=') text.pop_back();  // whitespace after the '=' does not count
          text.pop_back();
          text.append(next);
        } else if (!next.empty() && isSpace(next.front())) {
          line.folds.push_back(static_cast<std::uint32_t>(line.own().size()));
          line.own().append(next);
        } else if (b64 && !trim(next).empty() && next.find(':') == std::string_view::npos) {
          line.own().append(next);
        } else {
          break;
        }
        phys_.advance();
        findHeader(line.text().size() - next.size());
      }
      return true;
    }
    return false;
  }

 private:
  PhysicalLines phys_;
};

// Groups logical lines into cards where CardBounds puts their boundaries:
// BEGIN/END pairs nest only below an AGENT property; a BEGIN:VCARD anywhere
// else ends the open card, and a card left open at the end of the input is kept.
class CardCollector {
 public:
  using Sink = std::function<void(RawCard&&)>;
  explicit CardCollector(Sink sink) : sink_(std::move(sink)) {}

  void collect(std::string_view text) {
    LogicalLines lines(text);
    RawLine line;
    while (lines.next(line)) take(std::move(line));
    bounds_.finish();
    closeAll();
  }

 private:
  void take(RawLine line) {
    switch (bounds_.take(line.text()).role) {
      case CardBounds::Role::Outside:
        return;
      case CardBounds::Role::Begin:
        closeAll();  // the open card, if any, lacks its END line
        open_.emplace_back();
        return;
      case CardBounds::Role::AgentBegin:
        open_.emplace_back();
        return;
      case CardBounds::Role::AgentEnd:
      case CardBounds::Role::End:
        close(/*explicitEnd=*/true);
        return;
      case CardBounds::Role::InlineAgent: {
        const std::size_t keep = line.text().size() - valueOf(line.text()).size();
        if (line.joined) line.owned.resize(keep);
        else line.view = line.view.substr(0, keep);
        line.folds.clear();
        line.inlineAgent = true;
        open_.back().lines.push_back(std::move(line));
        open_.emplace_back();
        return;
      }
      case CardBounds::Role::Line:
        open_.back().lines.push_back(std::move(line));
        return;
    }
  }

  void close(bool explicitEnd) {
    RawCard card = std::move(open_.back());
    open_.pop_back();
    if (open_.empty()) {
      // A card with no line at all (a stray BEGIN, BEGIN twice) holds nothing
      // to import; passing it on would save an empty contact in place of the
      // card that follows.
      if (card.lines.empty()) return;
      if (!explicitEnd) repairUnclosedInlineAgent(card);
      sink_(std::move(card));
    } else {
      open_.back().lines.back().nested.push_back(std::move(card));
    }
  }

  void closeAll() {
    while (!open_.empty()) close(/*explicitEnd=*/false);
  }

  // Some exporters (readpst) write "AGENT:BEGIN:VCARD", the agent's FN and TEL,
  // and never close the embedded card, so its END:VCARD closed it in place of
  // the outer one. When the outer card is then found unclosed, the agent keeps
  // its leading name and number lines; the rest goes back to the outer card.
  static void repairUnclosedInlineAgent(RawCard& card) {
    for (std::size_t i = 0; i < card.lines.size(); ++i) {
      RawLine& agentLine = card.lines[i];
      if (!agentLine.inlineAgent || agentLine.nested.size() != 1) continue;
      std::vector<RawLine>& inner = agentLine.nested.front().lines;
      std::size_t keep = 0;
      std::vector<std::string> seen;
      while (keep < inner.size()) {
        const std::string name = detail::upper(nameOf(inner[keep].text()));
        const bool agentField = name == "FN" || name == "N" || name == "TEL" || name == "EMAIL";
        if (!agentField || std::find(seen.begin(), seen.end(), name) != seen.end()) break;
        seen.push_back(name);
        ++keep;
      }
      std::vector<RawLine> moved(std::make_move_iterator(inner.begin() + static_cast<std::ptrdiff_t>(keep)),
                                 std::make_move_iterator(inner.end()));
      inner.resize(keep);
      card.lines.insert(card.lines.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                        std::make_move_iterator(moved.begin()), std::make_move_iterator(moved.end()));
      return;
    }
  }

  Sink sink_;
  CardBounds bounds_;
  std::vector<RawCard> open_;
};

Version versionOf(const RawCard& card) {
  for (const RawLine& line : card.lines) {
    if (!equalsNoCase(nameOf(line.text()), "VERSION")) continue;
    const std::string_view v = trim(valueOf(line.text()));
    if (startsWithNoCase(v, "4")) return Version::V40;
    if (startsWithNoCase(v, "3")) return Version::V30;
    return Version::V21;
  }
  // No VERSION line: 2.1-only constructs decide, else 3.0.
  for (const RawLine& line : card.lines) {
    const std::string_view header = headerOf(line.text());
    if (containsNoCase(header, "QUOTED-PRINTABLE") || containsNoCase(header, "BASE64")) return Version::V21;
    std::size_t semi = header.find(';');
    while (semi != std::string_view::npos) {
      const std::size_t next = header.find(';', semi + 1);
      const std::string_view token = header.substr(semi + 1, next == std::string_view::npos ? next : next - semi - 1);
      if (!token.empty() && token.find('=') == std::string_view::npos) return Version::V21;
      semi = next;
    }
  }
  return Version::V30;
}

bool isNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

// Finds the end of a parameter token: the next ';' or ':' outside double
// quotes and parentheses (Android writes "X-CUSTOM(CHARSET=UTF-8,...)").
// With aware=false quotes and parentheses are plain characters.
std::size_t paramEnd(std::string_view s, std::size_t pos, bool aware) {
  bool quoted = false;
  int parens = 0;
  for (; pos < s.size(); ++pos) {
    const char c = s[pos];
    if (aware && c == '"') {
      quoted = !quoted;
    } else if (aware && !quoted && c == '(') {
      ++parens;
    } else if (aware && !quoted && c == ')' && parens > 0) {
      --parens;
    } else if (!quoted && parens == 0 && (c == ';' || c == ':')) {
      return pos;
    }
  }
  return std::string_view::npos;
}

std::string caretUnescape(std::string_view v) {
  std::string out;
  for (std::size_t i = 0; i < v.size(); ++i) {
    if (v[i] == '^' && i + 1 < v.size()) {
      const char n = v[i + 1];
      if (n == 'n' || n == 'N') { out.push_back('\n'); ++i; continue; }
      if (n == '^') { out.push_back('^'); ++i; continue; }
      if (n == '\'') { out.push_back('"'); ++i; continue; }
    }
    out.push_back(v[i]);
  }
  return out;
}

void addParameter(std::string_view token, Version version, std::vector<Param>& params) {
  token = trim(token);
  if (token.empty()) return;
  // '=' inside parentheses belongs to an opaque token.
  std::size_t eq = std::string_view::npos;
  int parens = 0;
  for (std::size_t i = 0; i < token.size(); ++i) {
    if (token[i] == '(') ++parens;
    else if (token[i] == ')' && parens > 0) --parens;
    else if (token[i] == '=' && parens == 0) { eq = i; break; }
  }
  if (eq == std::string_view::npos) {
    std::string value = detail::upper(token);
    const char* name = "TYPE";
    if (value == "QUOTED-PRINTABLE" || value == "BASE64" || value == "8BIT" || value == "7BIT")
      name = "ENCODING";
    else if (value == "INLINE" || value == "URL" || value == "URI" || value == "CONTENT-ID" || value == "CID")
      name = "VALUE";
    params.push_back({name, std::move(value)});
    return;
  }
  std::string name = detail::upper(trim(token.substr(0, eq)));
  const std::string_view values = token.substr(eq + 1);
  std::size_t start = 0;
  bool quoted = false;
  for (std::size_t i = 0; i <= values.size(); ++i) {
    if (i < values.size() && values[i] == '"') quoted = !quoted;
    if (i < values.size() && (quoted || values[i] != ',')) continue;
    std::string_view v = trim(values.substr(start, i - start));
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
    else if (!v.empty() && v.front() == '"') v.remove_prefix(1);
    if (name == "TYPE" && v.find(',') != std::string_view::npos) {
      // TYPE="work,voice": a quoted list is still a list.
      std::size_t from = 0;
      while (from <= v.size()) {
        const std::size_t comma = std::min(v.find(',', from), v.size());
        if (const std::string_view item = trim(v.substr(from, comma - from)); !item.empty())
          params.push_back({name, detail::upper(item)});
        from = comma + 1;
      }
    } else if (name == "TYPE") {
      if (!v.empty()) params.push_back({name, detail::upper(v)});
    } else if (!v.empty()) {
      params.push_back({name, version == Version::V40 ? caretUnescape(v) : std::string(v)});
    }
    start = i + 1;
  }
}

bool isBinaryProperty(std::string_view name) {
  return name == "PHOTO" || name == "LOGO" || name == "SOUND" || name == "KEY" ||
         name == "X-MS-CARDPICTURE";
}

class PropertyReader {
 public:
  PropertyReader(detail::TextDecoder& decoder, bool unicodeInput)
      : decoder_(decoder), unicodeInput_(unicodeInput) {}

  Card build(RawCard& raw, int depth) {
    Card card;
    card.version = versionOf(raw);
    card.properties.reserve(raw.lines.size());
    for (RawLine& line : raw.lines) {
      if (card.version != Version::V21 && !line.folds.empty()) dropFoldWhitespace(line);
      auto property = parse(line.text(), card.version);
      if (!property) continue;
      for (RawCard& nested : line.nested) property->agent.push_back(build(nested, depth + 1));
      if (property->name == "AGENT" && property->agent.empty() && depth + 1 < kMaxDepth)
        readEmbeddedAgent(*property, depth + 1);
      card.properties.push_back(std::move(*property));
    }
    return card;
  }

 private:
  static void dropFoldWhitespace(RawLine& line) {
    std::string& text = line.own();
    std::size_t out = 0, from = 0;
    for (std::uint32_t at : line.folds) {
      if (at < from || at >= text.size()) continue;
      std::memmove(text.data() + out, text.data() + from, at - from);
      out += at - from;
      from = at + 1;
    }
    std::memmove(text.data() + out, text.data() + from, text.size() - from);
    text.resize(out + text.size() - from);
    line.folds.clear();
  }

  std::optional<CardProperty> parse(std::string_view line, Version version) {
    CardProperty p;
    p.version = version;
    // Group and name.
    std::size_t pos = 0;
    std::size_t nameStart = 0;
    while (pos < line.size() && (isNameChar(line[pos]) || line[pos] == '.')) {
      if (line[pos] == '.') nameStart = pos + 1;
      ++pos;
    }
    if (nameStart > 0) p.group.assign(line.substr(0, nameStart - 1));
    const std::string_view name = line.substr(nameStart, pos - nameStart);
    std::size_t end = pos;
    while (end < line.size() && isSpace(line[end])) ++end;  // "NOTE :" written by some tools
    if (name.empty() || end >= line.size() || (line[end] != ';' && line[end] != ':')) return std::nullopt;
    p.name = detail::upper(name);

    // Parameters; an unbalanced quote or parenthesis is read again as plain text.
    if (line[end] == ';') p.params.reserve(4);
    std::size_t colon = std::string_view::npos;
    for (bool aware : {true, false}) {
      p.params.clear();
      std::size_t at = end;
      while (at < line.size() && line[at] == ';') {
        const std::size_t stop = paramEnd(line, at + 1, aware);
        if (stop == std::string_view::npos) { at = std::string_view::npos; break; }
        addParameter(line.substr(at + 1, stop - at - 1), version, p.params);
        at = stop;
      }
      if (at != std::string_view::npos && at < line.size() && line[at] == ':') {
        colon = at;
        break;
      }
    }
    if (colon == std::string_view::npos) return std::nullopt;
    decodeValue(p, line.substr(colon + 1));
    return p;
  }

  void decodeValue(CardProperty& p, std::string_view raw) {
    const std::string_view encoding = p.param("ENCODING").value_or("");
    const std::string_view charset = p.param("CHARSET").value_or("");
    if (equalsNoCase(encoding, "QUOTED-PRINTABLE")) {
      p.value = decoder_.decode(detail::decodeQuotedPrintable(raw), charset);
      return;
    }
    if (equalsNoCase(encoding, "BASE64") || equalsNoCase(encoding, "B")) {
      p.binary = detail::decodeBase64(raw);
      return;
    }
    if (isBinaryProperty(p.name) || p.hasParam("VALUE", "URI")) {
      std::vector<std::uint8_t> data;
      std::string mediaType;
      if (detail::decodeDataUri(trim(raw), data, mediaType)) {
        p.binary = std::move(data);
        p.mediaType = std::move(mediaType);
        return;
      }
    }
    // Text from a UTF-16 file is already Unicode; 4.0 is always UTF-8.
    const bool honourCharset = !unicodeInput_ && p.version != Version::V40;
    p.value = decoder_.decode(raw, honourCharset ? charset : std::string_view());
  }

  // A 3.0 AGENT holds its card as one escaped text value.
  void readEmbeddedAgent(CardProperty& p, int depth) {
    const std::u16string text = p.text();
    if (text.find(u"BEGIN:VCARD") == std::u16string::npos &&
        text.find(u"begin:vcard") == std::u16string::npos)
      return;
    const std::string utf8 = detail::toUtf8(text);
    PropertyReader inner(decoder_, true);
    CardCollector([&](RawCard&& raw) {
      if (p.agent.empty()) p.agent.push_back(inner.build(raw, depth));
    }).collect(utf8);
  }

  detail::TextDecoder& decoder_;
  bool unicodeInput_;
};

}  // namespace

std::vector<Card> parseCards(std::span<const std::uint8_t> bytes) {
  std::string transcoded;
  std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  const TextForm form = detectTextForm(bytes.first(std::min(bytes.size(), kTextFormProbe)));
  const bool utf16 = form.encoding == TextEncoding::Utf16LE || form.encoding == TextEncoding::Utf16BE;
  if (utf16) {
    transcoded = detail::utf16ToUtf8(bytes.subspan(form.markSize), form.encoding == TextEncoding::Utf16BE);
    text = transcoded;
  }
  // A UTF-8 mark, leading the file or a joined part, is dropped from its line.
  // NUL characters cannot stand in a stored string (readers cut it there);
  // a damaged file's stray NULs are dropped rather than kept.
  std::string withoutNuls;
  if (text.find('\0') != std::string_view::npos) {
    withoutNuls.reserve(text.size());
    for (char c : text)
      if (c != '\0') withoutNuls.push_back(c);
    text = withoutNuls;
  }

  detail::TextDecoder decoder;
  PropertyReader reader(decoder, utf16);
  std::vector<Card> cards;
  CardCollector([&](RawCard&& raw) { cards.push_back(reader.build(raw, 0)); }).collect(text);
  return cards;
}

}  // namespace vcard
