// Deterministic generator of realistic vCard files.
#include "bench/import/vcard_generator.h"

#include <fstream>
#include <stdexcept>

namespace bench {
namespace {

const char* const kGiven[] = {"Anna", "Björn", "Chloé", "David", "Elena", "François", "Grace", "Hiro",
                              "Ingrid", "José", "Katarzyna", "Liam", "Mei", "Nikolai", "Olga", "Pádraig"};
const char* const kFamily[] = {"Smith", "Müller", "García", "Nguyen", "O'Brien", "Kowalski", "Rossi",
                               "Tanaka", "Øster", "Dubois", "Ivanova", "Papadopoulos", "Silva", "Chen"};
const char* const kCompany[] = {"Northwind Traders", "Contoso Ltd.", "Fabrikam, Inc.", "Adventure Works",
                                "Tailspin Toys", "Wide World Importers", "Litware", "Proseware"};
const char* const kCity[] = {"Springfield", "München", "Zürich", "Kraków", "São Paulo", "Lyon", "Osaka"};

template <std::size_t N>
const char* pick(const char* const (&list)[N], std::uint64_t i) { return list[i % N]; }

std::string base64(const std::string& in) {
  static const char* t = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((in.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 2 < in.size(); i += 3) {
    std::uint32_t v = (std::uint8_t(in[i]) << 16) | (std::uint8_t(in[i + 1]) << 8) | std::uint8_t(in[i + 2]);
    out += t[v >> 18]; out += t[(v >> 12) & 63]; out += t[(v >> 6) & 63]; out += t[v & 63];
  }
  if (i < in.size()) {
    std::uint32_t v = std::uint8_t(in[i]) << 16;
    if (i + 1 < in.size()) v |= std::uint8_t(in[i + 1]) << 8;
    out += t[v >> 18]; out += t[(v >> 12) & 63];
    out += i + 1 < in.size() ? t[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

// Quoted-printable of a UTF-8 text, as 2.1 exporters write it.
std::string quotedPrintable(const std::string& in) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : in) {
    if (c == '=' || c >= 127 || c < 32) {
      out += '='; out += hex[c >> 4]; out += hex[c & 15];
    } else {
      out += char(c);
    }
  }
  return out;
}

// Folds a content line at 75 octets (continuation starts with a space).
std::string fold(const std::string& line, bool base64Block) {
  if (line.size() <= 75) return line + "\r\n";
  std::string out = line.substr(0, 75) + "\r\n";
  for (std::size_t i = 75; i < line.size(); i += 74) out += " " + line.substr(i, 74) + "\r\n";
  if (base64Block) out += "\r\n";
  return out;
}

}  // namespace

VCardGenerator::VCardGenerator(const GeneratorOptions& options) : options_(options), rng_(options.seed) {
  // A JPEG-looking payload: SOI marker, noise, EOI marker.
  std::string photo = "\xFF\xD8\xFF\xE0";
  std::uniform_int_distribution<int> byte(0, 255);
  while (photo.size() + 2 < options_.photoBytes) photo += char(byte(rng_));
  photo += "\xFF\xD9";
  photoBase64_ = base64(photo);
}

std::string VCardGenerator::card(std::uint64_t i) {
  const std::string given = pick(kGiven, i * 7 + 3);
  const std::string family = pick(kFamily, i * 13 + 5);
  const std::string company = pick(kCompany, i / 3);
  const std::string city = pick(kCity, i / 5);
  const std::string n = std::to_string(i);
  const std::string email = "user" + n + "@example.com";
  const bool photo = std::uniform_real_distribution<double>(0, 1)(rng_) < options_.photoShare;
  std::string s;
  switch (i % 3) {
    case 0:  // 2.1, as desktop mail clients export it
      s += "BEGIN:VCARD\r\nVERSION:2.1\r\n";
      s += "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:" + quotedPrintable(family) + ";" + quotedPrintable(given) + ";;;\r\n";
      s += "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:" + quotedPrintable(given + " " + family) + "\r\n";
      s += "ORG:" + company + ";Sales\r\nTITLE:Account Manager\r\n";
      s += "TEL;WORK;VOICE:+1 555 010 " + n + "\r\nTEL;CELL;VOICE:+1 555 020 " + n + "\r\nTEL;WORK;FAX:+1 555 030 " + n + "\r\n";
      s += "ADR;WORK;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:;;" + quotedPrintable(n + " Main Street=0D=0AFloor 2") + ";" + quotedPrintable(city) + ";;12345;USA\r\n";
      s += "EMAIL;PREF;INTERNET:" + email + "\r\n";
      s += "NOTE;ENCODING=QUOTED-PRINTABLE:Met at the fair=0D=0A=\r\nsecond line of the note\r\n";
      if (photo) s += fold("PHOTO;TYPE=JPEG;ENCODING=BASE64:" + photoBase64_, true);
      s += "REV:20240101T120000Z\r\nEND:VCARD\r\n";
      break;
    case 1:  // 3.0, as phones and web address books export it
      s += "BEGIN:VCARD\r\nVERSION:3.0\r\n";
      s += "N:" + family + ";" + given + ";;;\r\nFN:" + given + " " + family + "\r\n";
      s += "ORG:" + company + "\r\n";
      s += "item1.EMAIL;TYPE=INTERNET,pref:" + email + "\r\nitem1.X-ABLabel:_$!<Other>!$_\r\n";
      s += "EMAIL;TYPE=INTERNET,HOME:home" + n + "@example.org\r\n";
      s += "TEL;TYPE=CELL:+44 7700 900" + n + "\r\nTEL;TYPE=HOME,VOICE:+44 20 7946 " + n + "\r\n";
      s += "ADR;TYPE=HOME:;;" + n + " High Street;" + city + ";;SW1A 1AA;United Kingdom\r\n";
      s += "BDAY:1980-0" + std::to_string(1 + i % 9) + "-1" + std::to_string(i % 10) + "\r\n";
      s += "CATEGORIES:Friends,Work\r\nURL:https://example.com/" + n + "\r\n";
      if (photo) s += fold("PHOTO;ENCODING=b;TYPE=JPEG:" + photoBase64_, false);
      s += "END:VCARD\r\n";
      break;
    default:  // 4.0
      s += "BEGIN:VCARD\r\nVERSION:4.0\r\n";
      s += "FN:" + given + " " + family + "\r\nN:" + family + ";" + given + ";;Dr.;\r\n";
      s += "EMAIL;TYPE=work;PREF=1:" + email + "\r\n";
      s += "TEL;VALUE=uri;TYPE=\"voice,work\":tel:+1-555-555-" + n + "\r\n";
      s += "ADR;TYPE=work;LABEL=\"" + n + " Elm St\\n" + city + "\":;;" + n + " Elm St;" + city + ";;;USA\r\n";
      s += "ORG:" + company + ";R&D\r\nROLE:Engineer\r\nNOTE:Line one\\nLine two\\, with comma\r\n";
      if (photo) s += fold("PHOTO:data:image/jpeg;base64," + photoBase64_, false);
      s += "END:VCARD\r\n";
      break;
  }
  return s;
}

GeneratedTree writeOneFile(const std::filesystem::path& file, const GeneratorOptions& options) {
  std::ofstream out(file, std::ios::binary);
  if (!out) throw std::runtime_error("cannot write " + file.string());
  VCardGenerator gen(options);
  GeneratedTree tree{1, 0, 0};
  for (std::uint64_t i = 0; i < options.cards; ++i) {
    const std::string c = gen.card(i);
    out << c;
    tree.bytes += c.size();
    ++tree.cards;
  }
  if (!out.flush()) throw std::runtime_error("cannot write " + file.string());
  return tree;
}

GeneratedTree writeManyFiles(const std::filesystem::path& root, const GeneratorOptions& options,
                             std::uint64_t perFolder) {
  VCardGenerator gen(options);
  GeneratedTree tree;
  for (std::uint64_t i = 0; i < options.cards; ++i) {
    const std::uint64_t folder = i / perFolder;
    const auto dir = root / ("group" + std::to_string(folder / 10)) / ("team" + std::to_string(folder));
    if (i % perFolder == 0) std::filesystem::create_directories(dir);
    std::ofstream out(dir / ("card" + std::to_string(i) + ".vcf"), std::ios::binary);
    const std::string c = gen.card(i);
    out << c;
    if (!out.flush()) throw std::runtime_error("cannot write in " + dir.string());
    tree.bytes += c.size();
    ++tree.cards;
    ++tree.files;
  }
  return tree;
}

}  // namespace bench
