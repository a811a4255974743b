// Test helper: prints this process's temporary folder, writes a card file into
// it, and waits for a line on stdin before exiting (so two can run at once).
#include "platform/native_path.h"
#include "platform/regular_file.h"
#include "util/registry.h"

#include <iostream>
#include <stdexcept>
#include <string>

int main() {
  std::u16string folder;
  try {
    folder = quillonet::GetTempFolderPath();
  } catch (const std::exception& e) {
    std::cerr << e.what() << std::endl;
    return 3;
  }
  try {
    quillonet::platform::WriteRegularFile(folder + u"vCard1.vcf", "BEGIN:VCARD\r\nEND:VCARD\r\n");
  } catch (const std::exception& e) {
    std::cerr << e.what() << std::endl;
    return 2;
  }
  std::cout << quillonet::platform::EncodeNativePath(folder) << std::endl;
  std::string line;
  std::getline(std::cin, line);
  return 0;
}
