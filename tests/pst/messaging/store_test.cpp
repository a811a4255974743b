// A new store and its folder tree, checked with both readers, the strict
// checker and against the empty store Outlook makes.
#include "pst/messaging/store.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "pst/error.h"
#include "test_support.h"

namespace pst {
namespace {

using test::DumpNode;
using test::Json;

constexpr std::uint64_t kAMapInterval = 0x3E000;

// Folder paths as the read-back oracle prints them, collected while a test builds a tree.
class ExpectedTree {
 public:
  explicit ExpectedTree(Store& store) : store_(store) {
    add(store.rootFolder(), "", "");
    add(store.ipmSubtree(), "Top of Personal Folders", "");
    add(store.deletedItems(), "Top of Personal Folders/Deleted Items", "");
    extra_ = {"Search Root", "IPM_COMMON_VIEWS", "SPAM Search Folder 2"};
  }
  FolderId create(FolderId parent, const std::u16string& name, const std::u16string& cls = u"IPF.Contact") {
    FolderId f = store_.createFolder(parent, name, cls);
    const std::string& p = paths_.at(parent);
    add(f, (p.empty() ? "" : p + "/") + test::utf8(name), test::utf8(cls));
    return f;
  }
  const std::string& path(FolderId f) const { return paths_.at(f); }
  std::string json(const std::string& displayName) const {
    std::string out = "{\"display_name\": " + Json::quote(displayName) + ", \"exact_tree\": true, \"folders\": [";
    bool first = true;
    for (const auto& [f, p] : paths_) {
      out += std::string(first ? "" : ", ") + "{\"path\": " + Json::quote(p) +
             ", \"subfolders\": " + std::to_string(store_.subfolders(f).size()) +
             ", \"messages\": " + std::to_string(store_.messageCount(f)) +
             (classes_.at(f).empty() ? "" : ", \"container_class\": " + Json::quote(classes_.at(f))) + "}";
      first = false;
    }
    for (const auto& p : extra_) out += ", {\"path\": " + Json::quote(p) + "}";
    return out + "]}";
  }

 private:
  void add(FolderId f, const std::string& path, const std::string& cls) {
    paths_[f] = path;
    classes_[f] = cls;
  }
  Store& store_;
  std::map<FolderId, std::string> paths_;
  std::map<FolderId, std::string> classes_;
  std::vector<std::string> extra_;
};

std::u16string u16(const std::string& ascii) { return {ascii.begin(), ascii.end()}; }

// The template a table of this NID copies (Outlook widens some at run time).
std::uint32_t templateOf(std::uint32_t nid) {
  switch (nid & 0x1F) {
    case 0x0D: return 0x60D;
    case 0x0E: return 0x60E;
    case 0x0F: return 0x60F;
    case 0x10: return 0x610;
    default: return nid;
  }
}

TEST(StoreCreate, EmptyStoreHoldsWhatOutlooksEmptyStoreHolds) {
  test::TempDir dir;
  const auto file = dir / "empty.pst";
  Guid recordKey;
  {
    auto store = Store::create(file, u"Kontakte Ärger");
    recordKey = store->recordKey();
    store->close();
  }
  EXPECT_EQ(std::filesystem::file_size(file), 0x4400 + kAMapInterval);
  const auto ours = test::dumpNodes(file);
  const auto outlook = test::dumpNodes(test::samplePath("outlook-empty.pst"));
  // Undocumented Outlook-internal nodes we do not write.
  const std::set<std::uint32_t> opaque{0xEE1, 0xF01, 0xF21};
  for (const auto& [nid, theirs] : outlook) {
    if (opaque.count(nid)) continue;
    SCOPED_TRACE(testing::Message() << "NID 0x" << std::hex << nid);
    ASSERT_TRUE(ours.count(nid));
    const DumpNode& mine = ours.at(nid);
    EXPECT_EQ(mine.parent, theirs.parent);
    EXPECT_EQ(mine.kind, theirs.kind);
    if (theirs.kind == "TC") {
      EXPECT_EQ(mine.columns, outlook.at(templateOf(nid)).columns);
    }
    if (theirs.kind == "stream") {
      EXPECT_EQ(mine.stream, theirs.stream);
    }
    if (theirs.kind == "PC" && nid != 0x21 && nid != 0x61) {
      auto expected = theirs.properties;
      if (nid == 0x8022) expected[0x3001001F] = "Top of Personal Folders";
      EXPECT_EQ(mine.properties, expected);
    }
  }
  for (const auto& [nid, mine] : ours) EXPECT_TRUE(outlook.count(nid)) << "extra NID 0x" << std::hex << nid;

  // The message store: Outlook's properties less its replication state.
  const auto& store = ours.at(0x21).properties;
  auto outlookStore = outlook.at(0x21).properties;
  for (std::uint32_t tag : {0x0E340102u, 0x66FC0003u}) outlookStore.erase(tag);
  std::set<std::uint32_t> ourTags, theirTags;
  for (const auto& [tag, v] : store) ourTags.insert(tag);
  for (const auto& [tag, v] : outlookStore) theirTags.insert(tag);
  EXPECT_EQ(ourTags, theirTags);
  EXPECT_EQ(test::shown(store, 0x3001001F), "Kontakte Ärger");
  EXPECT_EQ(test::shown(store, 0x35DF0003), "0xc9");
  EXPECT_EQ(test::shown(store, 0x66FA0003), test::shown(outlookStore, 0x66FA0003));
  const std::string key = test::hex(recordKey);
  EXPECT_EQ(test::shown(store, 0x0FF90102), "hex:" + key);
  EXPECT_EQ(test::shown(store, 0x35E00102), "hex:00000000" + key + "22800000");
  EXPECT_EQ(test::shown(store, 0x35E30102), "hex:00000000" + key + "62800000");
  EXPECT_EQ(test::shown(store, 0x35E60102), "hex:00000000" + key + "82800000");
  EXPECT_EQ(test::shown(store, 0x35E70102), "hex:00000000" + key + "42800000");

  // The root's hierarchy table lists its four children.
  for (const char* child : {"0x2223", "0x8022", "0x8042", "0x8082"})
    EXPECT_NE(ours.at(0x12D).rowWith(0x67F20003, child), nullptr) << child;
  EXPECT_NE(ours.at(0x802D).rowWith(0x3001001F, "Deleted Items"), nullptr);
  EXPECT_EQ(ours.at(0x62B).rows, outlook.at(0x62B).rows);

  EXPECT_EQ(test::expectProblems(file, R"({"display_name": "Kontakte Ärger", "exact_tree": true, "folders": [
      {"path": "", "subfolders": 4}, {"path": "Top of Personal Folders", "subfolders": 1, "messages": 0},
      {"path": "Top of Personal Folders/Deleted Items", "subfolders": 0, "messages": 0},
      {"path": "Search Root", "subfolders": 0}, {"path": "IPM_COMMON_VIEWS", "subfolders": 0},
      {"path": "SPAM Search Folder 2"}]})"),
            "");
}

TEST(StoreCreate, NeverOverwritesAnExistingFile) {
  test::TempDir dir;
  const auto file = dir / "taken.pst";
  std::ofstream(file) << "precious";
  try {
    Store::create(file, u"x");
    FAIL() << "created over an existing file";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find(file.string()), std::string::npos) << e.what();
  }
  std::ifstream in(file);
  std::string content((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(content, "precious");
  // Nothing else was left in the folder either.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(StoreCreate, FailsClearlyInAMissingFolder) {
  test::TempDir dir;
  const auto file = dir / "no" / "such" / "store.pst";
  try {
    Store::create(file, u"x");
    FAIL() << "created a store in a missing folder";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find(file.string()), std::string::npos) << e.what();
  }
  EXPECT_FALSE(std::filesystem::exists(file));
}

TEST(StoreFolders, OneContactsFolderWithItsRowInTheSubtreesTable) {
  test::TempDir dir;
  const auto file = dir / "one.pst";
  auto store = Store::create(file, u"One");
  ExpectedTree tree(*store);
  const FolderId contacts = tree.create(store->ipmSubtree(), u"Contacts");
  EXPECT_EQ(store->folderName(contacts), u"Contacts");
  EXPECT_EQ(store->containerClass(contacts), u"IPF.Contact");
  EXPECT_EQ(store->subfolders(store->ipmSubtree()), (std::vector<FolderId>{store->deletedItems(), contacts}));
  EXPECT_EQ(store->entryId(contacts).size(), 24u);
  store->close();

  EXPECT_EQ(test::expectProblems(file, tree.json("One")), "");
  const auto nodes = test::dumpNodes(file);
  char nid[16];
  std::snprintf(nid, sizeof nid, "0x%x", contacts);
  const auto* row = nodes.at(0x802D).rowWith(0x67F20003, nid);
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(test::shown(*row, 0x3001001F), "Contacts");
  EXPECT_EQ(test::shown(*row, 0x3613001F), "IPF.Contact");
  EXPECT_EQ(test::shown(*row, 0x360A000B), "0x0");
  EXPECT_EQ(test::shown(*row, 0x36020003), "0x0");
  EXPECT_EQ(test::shown(nodes.at(contacts).properties, 0x3613001F), "IPF.Contact");
  EXPECT_EQ(nodes.at(contacts).parent, 0x8022u);
}

TEST(StoreFolders, FiftyFolders) {
  test::TempDir dir;
  const auto file = dir / "fifty.pst";
  auto store = Store::create(file, u"Fifty");
  ExpectedTree tree(*store);
  std::vector<FolderId> created;
  for (int i = 0; i < 50; ++i) {
    const FolderId parent = i < 10 ? store->ipmSubtree() : created[static_cast<std::size_t>(i % 10)];
    created.push_back(tree.create(parent, u16("Folder " + std::to_string(i)), i % 2 ? u"IPF.Contact" : u"IPF.Note"));
  }
  store->close();
  EXPECT_EQ(test::expectProblems(file, tree.json("Fifty")), "");
}

// 2,000 folders: a chain 12 deep, siblings that differ only in case,
// non-ASCII and 255-character names, a contact in every folder so that the
// counts in the hierarchy rows change; the file spans several AMap intervals.
// (Names stay in the BMP here: libpff garbles surrogate pairs in folder names.)
TEST(StoreFolders, TwoThousandFoldersNestedTwelveDeep) {
  test::TempDir dir;
  const auto file = dir / "tree.pst";
  auto store = Store::create(file, u"Tree");
  ExpectedTree tree(*store);
  int count = 0;
  FolderId deep = store->ipmSubtree();
  for (int level = 1; level <= 12; ++level, ++count) deep = tree.create(deep, u16("Level " + std::to_string(level)));
  const FolderId lower = tree.create(deep, u"kontakte");
  const FolderId upper = tree.create(deep, u"KONTAKTE");
  const std::u16string longName(255, u'N');
  const FolderId longFolder = tree.create(store->ipmSubtree(), longName);
  const std::vector<std::u16string> foreign{u"Контакты", u"連絡先", u"Ελληνικά", u"Ünïcødé ☺", u"a.b c;d,e"};
  for (const auto& name : foreign) tree.create(deep, name, u"IPF.Note");
  count += 3 + static_cast<int>(foreign.size());
  for (int g = 0; count < 2000; ++g) {
    const FolderId group = tree.create(store->ipmSubtree(), u16("Group " + std::to_string(g)));
    ++count;
    for (int i = 0; i < 99 && count < 2000; ++i, ++count) tree.create(group, u16("Item " + std::to_string(i)));
  }
  EXPECT_EQ(store->folderName(longFolder), longName);
  EXPECT_EQ(store->subfolders(deep).size(), 2 + foreign.size());
  EXPECT_EQ(store->subfolders(deep)[0], lower);
  EXPECT_EQ(store->subfolders(deep)[1], upper);
  EXPECT_EQ(store->folderName(store->subfolders(deep)[5]), u"Ünïcødé ☺");
  std::vector<FolderId> all{store->ipmSubtree()};
  for (std::size_t i = 0; i < all.size(); ++i) {
    for (FolderId child : store->subfolders(all[i])) all.push_back(child);
    if (i > 0) store->addMessage(all[i], test::simpleContact(u"In", store->folderName(all[i])));
  }
  EXPECT_EQ(all.size(), 2002u);  // the subtree, Deleted Items and the 2,000
  store->close();

  EXPECT_GT(std::filesystem::file_size(file), 0x4400 + 8 * kAMapInterval);
  EXPECT_EQ(test::expectProblems(file, tree.json("Tree")), "");
}

TEST(StoreFolders, RejectsBadRequestsAndKeepsWorking) {
  test::TempDir dir;
  const auto file = dir / "bad.pst";
  auto store = Store::create(file, u"Bad");
  ExpectedTree tree(*store);
  tree.create(store->ipmSubtree(), u"Contacts");
  EXPECT_THROW(store->createFolder(0x7FFFFFE2, u"x", u"IPF.Contact"), Error);    // unknown parent
  EXPECT_THROW(store->createFolder(0x2223, u"x", u"IPF.Contact"), Error);        // a search folder
  EXPECT_THROW(store->createFolder(store->ipmSubtree(), u"", u"IPF.Contact"), Error);
  EXPECT_THROW(store->createFolder(store->ipmSubtree(), u"Contacts", u"IPF.Contact"), Error);
  EXPECT_THROW(store->folderName(0x12345), Error);
  tree.create(store->ipmSubtree(), u"contacts");  // differs in case only: a folder of its own
  store->close();
  EXPECT_THROW(store->createFolder(store->ipmSubtree(), u"Later", u""), Error);
  EXPECT_EQ(test::expectProblems(file, tree.json("Bad")), "");
}

TEST(StoreLifetime, TheDestructorCommitsAndClosesAnOpenStore) {
  test::TempDir dir;
  const auto file = dir / "open.pst";
  std::string json;
  {
    auto store = Store::create(file, u"Open");
    ExpectedTree tree(*store);
    tree.create(store->ipmSubtree(), u"Made before the destructor");
    json = tree.json("Open");
  }
  EXPECT_EQ(test::expectProblems(file, json), "");
}

}  // namespace
}  // namespace pst
