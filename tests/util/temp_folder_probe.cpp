// Test helper: prints this process's temporary folder, writes a card file into
// it, and waits for a line on stdin before exiting (so two can run at once).
#include "util/registry.h"

#include <QFile>

#include <cstdio>
#include <iostream>
#include <stdexcept>
#include <string>

int main() {
  QString folder;
  try {
    folder = quillonet::GetTempFolderPath();
  } catch (const std::exception& e) {
    std::cerr << e.what() << std::endl;
    return 3;
  }
  QFile card(folder + QStringLiteral("vCard1.vcf"));
  if (!card.open(QIODevice::WriteOnly)) return 2;
  card.write("BEGIN:VCARD\r\nEND:VCARD\r\n");
  card.close();
  std::cout << folder.toStdString() << std::endl;
  std::string line;
  std::getline(std::cin, line);
  return 0;
}
