// quillonet-pstverify: runs the strict checker on one file. Exit 0 clean, 1 problems, 2 unreadable.
#include <cstdio>

#include "pst/verify/verify.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: quillonet-pstverify FILE.pst\n");
    return 2;
  }
  const auto report = pst::verify::checkFile(argv[1]);
  std::fputs(report.text().c_str(), stdout);
  if (!report.readable) return 2;
  return report.clean() ? 0 : 1;
}
