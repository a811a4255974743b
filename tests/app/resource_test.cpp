// Compiles the Windows resource script with windres and reads the compiled resources back.
#include <gtest/gtest.h>

#include "tests/util/qstring_printer.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <cstdint>
#include <map>
#include <tuple>
#include <vector>

namespace {

std::uint16_t U16(const QByteArray& d, qsizetype at) {
  return static_cast<std::uint16_t>(static_cast<std::uint8_t>(d[at]) | static_cast<std::uint8_t>(d[at + 1]) << 8);
}
std::uint32_t U32(const QByteArray& d, qsizetype at) { return U16(d, at) | static_cast<std::uint32_t>(U16(d, at + 2)) << 16; }
std::int32_t I32(const QByteArray& d, qsizetype at) { return static_cast<std::int32_t>(U32(d, at)); }
qsizetype Align4(qsizetype n) { return (n + 3) & ~qsizetype{3}; }

// A NUL-terminated UTF-16 string at `at`; `at` moves past the NUL.
QString Utf16z(const QByteArray& d, qsizetype& at) {
  QString s;
  while (U16(d, at) != 0) {
    s += QChar(U16(d, at));
    at += 2;
  }
  at += 2;
  return s;
}

struct Resource {
  int type;
  int id;
  int language;
  QByteArray data;
};

// The entries of a .res file (32-bit resource file format).
std::vector<Resource> ReadRes(const QByteArray& res) {
  std::vector<Resource> out;
  qsizetype at = 0;
  while (at + 32 <= res.size()) {
    const std::uint32_t dataSize = U32(res, at);
    const std::uint32_t headerSize = U32(res, at + 4);
    qsizetype p = at + 8;
    int type = -1;
    int id = -1;
    for (int* field : {&type, &id}) {
      if (U16(res, p) == 0xFFFF) {
        *field = U16(res, p + 2);
        p += 4;
      } else {
        Utf16z(res, p);  // named entries are not expected; recorded as -1
      }
    }
    p = Align4(p);
    const int language = U16(res, p + 6);
    const QByteArray data = res.mid(at + headerSize, dataSize);
    if (!(type == 0 && id == 0 && dataSize == 0)) out.push_back({type, id, language, data});
    at = Align4(at + headerSize + dataSize);
  }
  return out;
}

// A node of a version resource: key, value bytes, children.
struct VersionNode {
  QString key;
  int type = 0;
  QByteArray value;
  std::vector<VersionNode> children;
};

VersionNode ReadVersionNode(const QByteArray& d, qsizetype at) {
  VersionNode node;
  const qsizetype end = at + U16(d, at);
  const int valueLength = U16(d, at + 2);
  node.type = U16(d, at + 4);
  qsizetype p = at + 6;
  node.key = Utf16z(d, p);
  p = Align4(p);
  const int valueBytes = node.type == 1 ? valueLength * 2 : valueLength;
  node.value = d.mid(p, valueBytes);
  p = Align4(p + valueBytes);
  while (p < end) {
    node.children.push_back(ReadVersionNode(d, p));
    p = Align4(p + U16(d, p));
  }
  return node;
}

QString TextValue(const QByteArray& v) {
  qsizetype at = 0;
  return Utf16z(v + QByteArray(2, '\0'), at);
}

class CompiledResources : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new QTemporaryDir;  // lives for the suite
    const QString res = dir_->path() + "/quillonet.res";
    QProcess windres;
    windres.setWorkingDirectory(QUILLONET_RESOURCES);
    windres.start(QUILLONET_WINDRES, {"--input-format=rc", "--output-format=res", "-i", "quillonet.rc", "-o", res});
    ASSERT_TRUE(windres.waitForFinished(60000)) << "windres did not run: " << QUILLONET_WINDRES;
    ASSERT_EQ(windres.exitCode(), 0) << windres.readAllStandardError().toStdString();
    QFile file(res);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    resources_ = ReadRes(file.readAll());
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }

  static const Resource* Find(int type, int id) {
    for (const Resource& r : resources_)
      if (r.type == type && r.id == id) return &r;
    return nullptr;
  }

  static inline QTemporaryDir* dir_ = nullptr;
  static inline std::vector<Resource> resources_;
};

TEST_F(CompiledResources, TypesIdsAndLanguages) {
  std::vector<std::tuple<int, int, int>> found;
  for (const Resource& r : resources_) found.emplace_back(r.type, r.id, r.language);
  std::vector<std::tuple<int, int, int>> expected;
  expected.emplace_back(24, 1, 1033);
  for (int id = 30001; id <= 30009; ++id) expected.emplace_back(3, id, 1033);
  expected.emplace_back(14, 1, 1033);
  expected.emplace_back(16, 1, 1033);
  std::sort(found.begin(), found.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(found, expected);
}

TEST_F(CompiledResources, ManifestAsksForCommonControlsSixOnly) {
  const Resource* manifest = Find(24, 1);
  ASSERT_NE(manifest, nullptr);
  QFile source(QString(QUILLONET_RESOURCES) + "/quillonet.manifest");
  ASSERT_TRUE(source.open(QIODevice::ReadOnly));
  EXPECT_EQ(manifest->data, source.readAll());
  EXPECT_TRUE(manifest->data.startsWith(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"));

  // Elements in order, with their attributes.
  QXmlStreamReader xml(manifest->data);
  QStringList seen;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    QString line = xml.name().toString();
    for (const QXmlStreamAttribute& a : xml.attributes()) line += " " + a.name().toString() + "=" + a.value().toString();
    if (xml.name() == u"description") line += " [" + xml.readElementText() + "]";
    seen << line;
  }
  ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  EXPECT_EQ(seen, QStringList({
                      "assembly manifestVersion=1.0",
                      "assemblyIdentity name=Marlix.Quillonet.Pro processorArchitecture=x86 version=1.0.0.0 type=win32",
                      "description []",
                      "dependency",
                      "dependentAssembly",
                      "assemblyIdentity type=win32 name=Microsoft.Windows.Common-Controls version=6.0.0.0 "
                      "processorArchitecture=x86 publicKeyToken=6595b64144ccf1df language=*",
                  }));
  QXmlStreamReader ns(manifest->data);
  while (ns.readNext() != QXmlStreamReader::StartElement) {
  }
  EXPECT_EQ(ns.namespaceUri(), u"urn:schemas-microsoft-com:asm.v1");
}

TEST_F(CompiledResources, VersionBlock) {
  const Resource* version = Find(16, 1);
  ASSERT_NE(version, nullptr);
  const VersionNode root = ReadVersionNode(version->data, 0);
  EXPECT_EQ(root.key, "VS_VERSION_INFO");
  ASSERT_EQ(root.value.size(), 52);
  const QByteArray& f = root.value;
  EXPECT_EQ(U32(f, 0), 0xFEEF04BDu);
  EXPECT_EQ(U32(f, 8), 0x00020000u);   // file version 2.0
  EXPECT_EQ(U32(f, 12), 0u);           // .0.0
  EXPECT_EQ(U32(f, 16), 0x00020000u);  // product version 2.0
  EXPECT_EQ(U32(f, 20), 0u);
  EXPECT_EQ(U32(f, 28), 0u);  // no file flags
  EXPECT_EQ(U32(f, 32), 4u);  // 32-bit Windows
  EXPECT_EQ(U32(f, 36), 1u);  // application

  std::map<QString, QString> strings;
  std::vector<std::uint16_t> translation;
  QStringList tables;
  for (const VersionNode& child : root.children) {
    if (child.key == "StringFileInfo") {
      for (const VersionNode& table : child.children) {
        tables << table.key;
        for (const VersionNode& s : table.children) strings[s.key] = TextValue(s.value);
      }
    } else if (child.key == "VarFileInfo") {
      for (const VersionNode& var : child.children)
        if (var.key == "Translation")
          for (qsizetype i = 0; i + 1 < var.value.size(); i += 2) translation.push_back(U16(var.value, i));
    }
  }
  EXPECT_EQ(tables, QStringList({"040904B0"}));
  EXPECT_EQ(strings["FileDescription"], "Import vCard Contacts to Outlook");
  EXPECT_EQ(strings["ProductName"], "Marlix Quillonet Pro");
  EXPECT_EQ(strings["FileVersion"], "2.00");
  EXPECT_EQ(strings["ProductVersion"], "2.00");
  EXPECT_EQ(strings["CompanyName"], "Marlix Software");
  EXPECT_EQ(strings["InternalName"], "quillonet");
  EXPECT_EQ(strings["OriginalFilename"], "quillonet.exe");
  EXPECT_EQ(translation, (std::vector<std::uint16_t>{0x0409, 1200}));
}

TEST_F(CompiledResources, IconGroupOfNineBitmapsWithMasks) {
  const Resource* group = Find(14, 1);
  ASSERT_NE(group, nullptr);
  const QByteArray& g = group->data;
  EXPECT_EQ(U16(g, 0), 0);
  EXPECT_EQ(U16(g, 2), 1);
  ASSERT_EQ(U16(g, 4), 9);
  ASSERT_EQ(g.size(), 6 + 9 * 14);
  const int sizes[] = {48, 32, 24, 16, 256, 48, 32, 24, 16};
  const int depths[] = {8, 8, 8, 8, 32, 32, 32, 32, 32};
  for (int i = 0; i < 9; ++i) {
    SCOPED_TRACE(i);
    const qsizetype e = 6 + i * 14;
    const int size = sizes[i];
    const int depth = depths[i];
    EXPECT_EQ(static_cast<std::uint8_t>(g[e]), size % 256);      // 256 is written as 0
    EXPECT_EQ(static_cast<std::uint8_t>(g[e + 1]), size % 256);
    EXPECT_EQ(static_cast<std::uint8_t>(g[e + 2]), 0);           // colour count: 256 and more are 0
    EXPECT_EQ(U16(g, e + 4), 1);                                 // planes
    EXPECT_EQ(U16(g, e + 6), depth);
    const int id = U16(g, e + 12);
    EXPECT_EQ(id, 30001 + i);

    const Resource* image = Find(3, id);
    ASSERT_NE(image, nullptr);
    const QByteArray& d = image->data;
    EXPECT_EQ(U32(g, e + 8), static_cast<std::uint32_t>(d.size()));
    // A bitmap (not PNG): header, palette for 8 bits, colour rows, 1-bit mask rows.
    ASSERT_FALSE(d.startsWith("\x89PNG"));
    EXPECT_EQ(U32(d, 0), 40u);
    EXPECT_EQ(I32(d, 4), size);
    EXPECT_EQ(I32(d, 8), 2 * size);
    EXPECT_EQ(U16(d, 12), 1);
    EXPECT_EQ(U16(d, 14), depth);
    EXPECT_EQ(U32(d, 16), 0u);  // uncompressed
    const qsizetype palette = depth == 8 ? 256 * 4 : 0;
    const qsizetype colourRow = Align4(size * depth / 8);
    const qsizetype maskRow = Align4((size + 7) / 8);
    EXPECT_EQ(d.size(), 40 + palette + colourRow * size + maskRow * size);
    if (depth == 32) {
      // Real alpha: some pixels see-through, some solid.
      int clear = 0, solid = 0;
      for (qsizetype p = 40 + 3; p < 40 + colourRow * size; p += 4) {
        const int a = static_cast<std::uint8_t>(d[p]);
        clear += a == 0;
        solid += a == 255;
      }
      EXPECT_GT(clear, 0);
      EXPECT_GT(solid, size * size / 3);
    }
  }
}

}  // namespace
