// libFuzzer target: the strict PST checker on damaged files. An input whose
// first byte is even is a whole file; otherwise its bytes are patches (three
// bytes of offset, one to XOR in) to a small valid store, so the fuzzer reaches
// the B-trees, heaps and tables rather than stopping at the header. What the
// checker shows of each node is read too.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include <unistd.h>

#include "pst/messaging/store.h"
#include "pst/verify/verify.h"

namespace {

std::vector<std::uint8_t> ValidStore() {
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("fuzz_pst_verify." + std::to_string(getpid()) + ".pst");
  {
    auto store = pst::Store::create(file, u"Fuzz");
    const pst::FolderId folder = store->createFolder(store->ipmSubtree(), u"Contacts", u"IPF.Contact");
    for (int i = 0; i < 3; ++i) {
      pst::Message message;
      message.properties.push_back({pst::ltp::PropId{0x001A}, pst::ltp::PropertyValue::string(u"IPM.Contact")});
      message.properties.push_back({pst::ltp::PropId{0x3001}, pst::ltp::PropertyValue::string(u"Ann Lee")});
      message.properties.push_back({pst::ltp::PropId{0x3A08}, pst::ltp::PropertyValue::integer32(i)});
      store->addMessage(folder, message);
    }
    store->close();
  }
  std::ifstream in(file, std::ios::binary);
  std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
  std::filesystem::remove(file);
  if (bytes.empty()) std::abort();
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::vector<std::uint8_t> valid = ValidStore();
  if (size == 0) return 0;
  if (data[0] % 2 == 0) {
    pst::verify::Contents contents;
    (void)pst::verify::checkBytes({data + 1, size - 1}, {}, &contents);
    return 0;
  }
  std::vector<std::uint8_t> file = valid;
  for (std::size_t i = 1; i + 4 <= size; i += 4) {
    const std::size_t offset = (std::size_t{data[i]} << 16 | std::size_t{data[i + 1]} << 8 | data[i + 2]) % file.size();
    file[offset] ^= data[i + 3];
  }
  pst::verify::Contents contents;
  const pst::verify::Report report = pst::verify::checkBytes(file, {}, &contents);
  // An unchanged store must pass; anything else only must not crash.
  if (size < 5 && !report.clean()) __builtin_trap();
  return 0;
}
