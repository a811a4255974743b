// Times the vCard reader and the contact conversion on generated typical cards
// (3.0 and 2.1 styles, no photo) and on one card with a large photo.
// Usage: bench_vcard [cards=200000] [photo MB=50]
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "vcard/contact.h"
#include "vcard/reader.h"

using Clock = std::chrono::steady_clock;

namespace {

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// CPU time of this process: on a shared machine wall time says little.
double cpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long peakRssMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024;
}

std::string typicalCard(int i) {
  const std::string n = std::to_string(i);
  if (i % 2 == 0) {
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Doe" + n + ";Jane;Q.;Dr.;\r\nFN:Dr. Jane Q. Doe" + n +
           "\r\nORG:Contoso Ltd.;Research\r\nTITLE:Chief Scientist\r\n"
           "EMAIL;TYPE=INTERNET,pref:jane" + n + "@contoso.com\r\nEMAIL;TYPE=INTERNET:jd" + n +
           "@example.org\r\nTEL;TYPE=work,voice:+1 425 555 0100\r\nTEL;TYPE=cell:+1 425 555 0101\r\n"
           "ADR;TYPE=work:;;1 Main St.;Redmond;WA;98052;USA\r\nBDAY:1975-04-15\r\n"
           "NOTE:Met at the conference\\, Seattle.\r\nCATEGORIES:VIP,Research\r\nEND:VCARD\r\n";
  }
  return "BEGIN:VCARD\r\nVERSION:2.1\r\nN;LANGUAGE=en-us:Lee" + n + ";Ann;;;\r\nFN:Ann Lee" + n +
         "\r\nORG:Fabrikam\r\nTEL;WORK;VOICE:+1 206 555 0100\r\nTEL;HOME;VOICE:+1 206 555 0111\r\n"
         "ADR;HOME;PREF:;;12 Oak Rd;Seattle;WA;98101;USA\r\n"
         "LABEL;HOME;ENCODING=QUOTED-PRINTABLE:12 Oak Rd=0D=0ASeattle, WA 98101=0D=0AUSA\r\n"
         "EMAIL;PREF;INTERNET:ann" + n + "@fabrikam.com\r\nREV:20200424T104242Z\r\nEND:VCARD\r\n";
}

}  // namespace

int main(int argc, char** argv) {
  const int cards = argc > 1 ? std::atoi(argv[1]) : 200000;
  const std::size_t photoMb = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 50;

  std::string file;
  for (int i = 0; i < cards; ++i) file += typicalCard(i);
  const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(file.data()), file.size());

  const double c0 = cpuSeconds();
  auto t0 = Clock::now();
  const auto parsed = vcard::parseCards(bytes);
  auto t1 = Clock::now();
  const double c1 = cpuSeconds();
  std::size_t properties = 0;
  for (const auto& card : parsed) properties += vcard::toContact(card).properties.size();
  auto t2 = Clock::now();
  const double c2 = cpuSeconds();
  const double mb = static_cast<double>(file.size()) / (1 << 20);
  const double n = static_cast<double>(parsed.size());
  std::printf("typical cards: %zu cards, %.1f MB, %zu contact properties (rates per CPU second)\n",
              parsed.size(), mb, properties);
  std::printf("  parse:            cpu %7.3f s  wall %7.3f s  %9.0f cards/s  %6.1f MB/s\n", c1 - c0,
              seconds(t1 - t0), n / (c1 - c0), mb / (c1 - c0));
  std::printf("  parse + convert:  cpu %7.3f s  wall %7.3f s  %9.0f cards/s  %6.1f MB/s\n", c2 - c0,
              seconds(t2 - t0), n / (c2 - c0), mb / (c2 - c0));

  // One card per call, as the import hands each card over in a file of its own.
  {
    std::vector<std::string> single;
    single.reserve(cards);
    for (int i = 0; i < cards; ++i) single.push_back(typicalCard(i));
    const double s0 = cpuSeconds();
    auto w0 = Clock::now();
    std::size_t converted = 0;
    for (const std::string& one : single) {
      const auto parsedOne =
          vcard::parseCards({reinterpret_cast<const std::uint8_t*>(one.data()), one.size()});
      converted += vcard::toContact(parsedOne.at(0)).properties.empty() ? 0 : 1;
    }
    auto w1 = Clock::now();
    const double s1 = cpuSeconds();
    std::printf("  one card a call:  cpu %7.3f s  wall %7.3f s  %9.0f cards/s  %6.1f MB/s\n", s1 - s0,
                seconds(w1 - w0), converted / (s1 - s0), mb / (s1 - s0));
  }

  if (photoMb > 0) {
    std::string big = "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:Big\r\nPHOTO;TYPE=JPEG;ENCODING=BASE64:\r\n  ";
    const std::size_t chars = photoMb * (1 << 20) / 3 * 4;
    const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (std::size_t i = 0; i < chars; ++i) {
      if (i > 0 && i % 72 == 0) big += "\r\n  ";
      big += alphabet[i % 64];
    }
    big += "\r\n\r\nEND:VCARD\r\n";
    const std::span<const std::uint8_t> photoBytes(reinterpret_cast<const std::uint8_t*>(big.data()), big.size());
    const double q0 = cpuSeconds();
    auto p0 = Clock::now();
    const auto photoCards = vcard::parseCards(photoBytes);
    const auto item = vcard::toContact(photoCards.at(0));
    auto p1 = Clock::now();
    const double q1 = cpuSeconds();
    const double photoFileMb = static_cast<double>(big.size()) / (1 << 20);
    std::printf("photo card: %.1f MB file, %zu attachment(s): cpu %.3f s  wall %.3f s  %.1f MB/s\n", photoFileMb,
                item.attachments.size(), q1 - q0, seconds(p1 - p0), photoFileMb / (q1 - q0));
  }
  std::printf("peak RSS: %ld MB\n", peakRssMb());
  return 0;
}
