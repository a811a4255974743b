// quillonet-pstverify: runs the strict checker on one file. Exit 0 clean, 1 problems, 2 unreadable.
#include <cstdio>
#include <cstring>

#include "pst/verify/verify.h"

int main(int argc, char** argv) {
  pst::verify::Options options;
  bool dump = false;
  const char* file = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--allow-invalid-maps") == 0) {
      options.allowInvalidMaps = true;
    } else if (std::strcmp(argv[i], "--no-store-rules") == 0) {
      options.storeRules = false;
    } else if (std::strcmp(argv[i], "--dump") == 0) {
      dump = true;
    } else if (!file && argv[i][0] != '-') {
      file = argv[i];
    } else {
      file = nullptr;
      break;
    }
  }
  if (!file) {
    std::fprintf(stderr,
                 "usage: quillonet-pstverify [--allow-invalid-maps] [--no-store-rules] [--dump] FILE.pst\n"
                 "  --allow-invalid-maps  accept fAMapValid 0 (a killed writer) and skip the map checks\n"
                 "  --no-store-rules      check the node and table layers only, not folders and messages\n"
                 "  --dump                then print every node: properties, table columns and rows, streams\n");
    return 2;
  }
  pst::verify::Contents contents;
  const auto report = pst::verify::checkFile(file, options, dump ? &contents : nullptr);
  std::fputs(report.text().c_str(), stdout);
  if (dump && report.readable) {
    std::printf("%s: %zu nodes, %zu blocks\n", file, contents.nodes.size(), contents.blocks);
    std::fputs(pst::verify::dumpText(contents).c_str(), stdout);
  }
  if (!report.readable) return 2;
  return report.clean() ? 0 : 1;
}
