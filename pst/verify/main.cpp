// quillonet-pstverify: runs the strict checker on one file. Exit 0 clean, 1 problems, 2 unreadable.
#include <cstdio>
#include <cstring>

#include "pst/verify/verify.h"

int main(int argc, char** argv) {
  pst::verify::Options options;
  const char* file = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--allow-invalid-maps") == 0) {
      options.allowInvalidMaps = true;
    } else if (std::strcmp(argv[i], "--no-store-rules") == 0) {
      options.storeRules = false;
    } else if (!file && argv[i][0] != '-') {
      file = argv[i];
    } else {
      file = nullptr;
      break;
    }
  }
  if (!file) {
    std::fprintf(stderr,
                 "usage: quillonet-pstverify [--allow-invalid-maps] [--no-store-rules] FILE.pst\n"
                 "  --allow-invalid-maps  accept fAMapValid 0 (a killed writer) and skip the map checks\n"
                 "  --no-store-rules      check the node and table layers only, not folders and messages\n");
    return 2;
  }
  const auto report = pst::verify::checkFile(file, options);
  std::fputs(report.text().c_str(), stdout);
  if (!report.readable) return 2;
  return report.clean() ? 0 : 1;
}
