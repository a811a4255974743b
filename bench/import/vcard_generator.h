// Deterministic generator of realistic vCard files for benchmarks and
// robustness tests: mixed 2.1/3.0/4.0 cards, quoted-printable, photos.
#pragma once
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>

namespace bench {

struct GeneratorOptions {
  std::uint64_t cards = 1000;
  double photoShare = 0.05;   // share of cards carrying a photo
  std::size_t photoBytes = 12 * 1024;
  std::uint32_t seed = 42;
};

class VCardGenerator {
 public:
  explicit VCardGenerator(const GeneratorOptions& options);
  // The text of card number i (CRLF line ends), version chosen by i.
  std::string card(std::uint64_t i);

 private:
  GeneratorOptions options_;
  std::mt19937_64 rng_;
  std::string photoBase64_;
};

struct GeneratedTree {
  std::uint64_t files = 0;
  std::uint64_t cards = 0;
  std::uint64_t bytes = 0;
};

// All cards in one file.
GeneratedTree writeOneFile(const std::filesystem::path& file, const GeneratorOptions& options);
// One card per file, spread over folders `perFolder` files each, two levels deep.
GeneratedTree writeManyFiles(const std::filesystem::path& root, const GeneratorOptions& options,
                             std::uint64_t perFolder = 100);

}  // namespace bench
