// Messages: every property type small and huge, named properties,
// attachments, contents-table rows and folder counts, bad input.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

#include <fstream>
#include <random>

#include "pst/error.h"
#include "pst/messaging/store.h"
#include "test_support.h"

namespace pst {
namespace {

using ltp::PropertyValue;
using ltp::PropType;
using test::Json;

// {12345678-9abc-def0-1234-56789abcdef0}, in on-disk byte order.
constexpr Guid kTestSet{0x78, 0x56, 0x34, 0x12, 0xbc, 0x9a, 0xf0, 0xde,
                        0x12, 0x34, 0x56, 0x78, 0x9a, 0xbc, 0xde, 0xf0};
constexpr const char* kTestSetName = "{12345678-9abc-def0-1234-56789abcdef0}";

std::vector<std::uint8_t> randomBytes(std::size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::vector<std::uint8_t> v(n);
  for (auto& b : v) b = static_cast<std::uint8_t>(gen());
  return v;
}

PropertyValue raw(PropType type, std::vector<std::uint8_t> data) { return PropertyValue{type, std::move(data)}; }

template <typename T>
std::vector<std::uint8_t> leBytes(std::initializer_list<T> values) {
  std::vector<std::uint8_t> out;
  for (T v : values)
    for (std::size_t i = 0; i < sizeof(T); ++i) out.push_back(static_cast<std::uint8_t>(static_cast<std::uint64_t>(v) >> (8 * i)));
  return out;
}

// A message and what the readers must find in it.
class Expected {
 public:
  Expected(std::string folder, const std::u16string& displayName) : folder_(std::move(folder)), name_(displayName) {
    tagged(0x3001, PropertyValue::string(displayName));
    tagged(0x001A, PropertyValue::string(u"IPM.Contact"));
    tagged(0x3A11, PropertyValue::string(displayName));  // a surname: readpst exports it as a contact
  }
  void tagged(ltp::PropId id, PropertyValue v) {
    props_ += std::string(props_.empty() ? "" : ", ") + Json::quote(test::tagKey(ltp::makeTag(id, v.type))) + ": " +
              Json::quote(test::hex(v.data));
    Property& p = message.properties.emplace_back();
    p.key.emplace<ltp::PropId>(id);
    p.value = std::move(v);
  }
  // A property the store keeps in another form than it was given.
  void storedAs(ltp::PropId id, PropertyValue given, const PropertyValue& stored) {
    props_ += std::string(props_.empty() ? "" : ", ") + Json::quote(test::tagKey(ltp::makeTag(id, stored.type))) +
              ": " + Json::quote(test::hex(stored.data));
    Property& p = message.properties.emplace_back();
    p.key.emplace<ltp::PropId>(id);
    p.value = std::move(given);
  }
  void absent(const std::string& tagKey) { absent_ += std::string(absent_.empty() ? "" : ", ") + Json::quote(tagKey); }
  void subject(const std::u16string& asRead) { subject_ = ", \"subject\": " + Json::quote(asRead); }
  void named(const NamedId& name, PropertyValue v, const std::string& readerName) { addNamed(name, std::move(v), readerName); }
  void named(const NamedString& name, PropertyValue v) {
    const std::string set = name.set == PS_PUBLIC_STRINGS ? "PS_PUBLIC_STRINGS" : kTestSetName;
    addNamed(name, std::move(v), set + ":" + test::utf8(name.name));
  }
  void attach(std::vector<Property> properties, const std::vector<std::uint8_t>& data) {
    std::string props;
    for (const auto& p : properties) {
      const auto& v = p.value;
      props += std::string(props.empty() ? "" : ", ") +
               Json::quote(test::tagKey(ltp::makeTag(std::get<ltp::PropId>(p.key), v.type))) + ": " +
               Json::quote(test::hex(v.data));
    }
    properties.push_back({ltp::PropId{0x3701}, PropertyValue::binary(data)});
    message.attachments.push_back({std::move(properties)});
    // The readers' bytes are compared with a copy on disk.
    const auto copy = std::filesystem::temp_directory_path() /
                      ("pst-attachment-" + std::to_string(::getpid()) + "-" + std::to_string(copies_.size()));
    std::ofstream(copy, std::ios::binary).write(reinterpret_cast<const char*>(data.data()),
                                                static_cast<std::streamsize>(data.size()));
    copies_.push_back(copy);
    attachments_ += std::string(attachments_.empty() ? "" : ", ") + "{\"data_file\": " + Json::quote(copy.string()) +
                    ", \"props\": {" + props + "}}";
  }
  std::string json() const {
    return "{\"folder\": " + Json::quote(folder_) + ", \"display_name\": " + Json::quote(name_) + ", \"props\": {" +
           props_ + "}, \"named\": {" + named_ + "}, \"absent\": [" + absent_ + "], \"attachments\": [" +
           attachments_ + "]" + subject_ + "}";
  }
  ~Expected() {
    for (const auto& copy : copies_) std::filesystem::remove(copy);
  }
  Expected(const Expected&) = delete;
  Expected& operator=(const Expected&) = delete;
  Message message;

 private:
  void addNamed(PropertyKey key, PropertyValue v, const std::string& readerName) {
    named_ += std::string(named_.empty() ? "" : ", ") + Json::quote(readerName) + ": [" +
              std::to_string(static_cast<int>(v.type)) + ", " + Json::quote(test::hex(v.data)) + "]";
    message.properties.push_back({std::move(key), std::move(v)});
  }
  std::string folder_;
  std::u16string name_;
  std::string props_, named_, attachments_, absent_, subject_;
  std::vector<std::filesystem::path> copies_;
};

std::string expectation(const std::vector<const Expected*>& messages, const std::string& extra = "") {
  std::string out = "{\"messages\": [";
  for (std::size_t i = 0; i < messages.size(); ++i) out += (i ? ", " : "") + messages[i]->json();
  return out + "]" + extra + "}";
}

TEST(StoreMessages, EveryPropertyTypeSmallAndHugeReadsBackEqual) {
  test::TempDir dir;
  const auto file = dir / "types.pst";
  auto store = Store::create(file, u"Types");
  const FolderId contacts = store->createFolder(store->ipmSubtree(), u"Kontakte", u"IPF.Contact");
  const std::string folder = "Top of Personal Folders/Kontakte";

  Expected small(folder, u"Jürgen Müller");
  // Stored as Outlook stores a subject: 0x01, 1 + the prefix length, the text.
  small.storedAs(0x0037, PropertyValue::string(u"Jürgen Müller"), PropertyValue::string(u"\x01\x01Jürgen Müller"));
  small.subject(u"Jürgen Müller");
  small.tagged(0x3A06, PropertyValue::string(u"Jürgen"));
  small.tagged(0x3A16, PropertyValue::string(u"Ölwerk GmbH"));
  small.tagged(0x3A08, PropertyValue::string(u"+49 30 1234567"));
  small.named(NamedId{PSETID_Address, 0x8005}, PropertyValue::string(u"Müller, Jürgen"), "PSETID_Address:0x8005");
  small.named(NamedId{PSETID_Address, 0x8082}, PropertyValue::string(u"SMTP"), "PSETID_Address:0x8082");
  small.named(NamedId{PSETID_Address, 0x8083}, PropertyValue::string(u"juergen@example.com"), "PSETID_Address:0x8083");
  small.named(NamedString{kTestSet, u"i16"}, PropertyValue::integer16(-2));
  small.named(NamedString{kTestSet, u"i32"}, PropertyValue::integer32(-123456));
  small.named(NamedString{kTestSet, u"f32"}, raw(PropType::Floating32, leBytes<std::uint32_t>({0x3FC00000})));
  small.named(NamedString{kTestSet, u"f64"}, PropertyValue::floating64(3.25));
  small.named(NamedString{kTestSet, u"currency"}, raw(PropType::Currency, leBytes<std::int64_t>({-15000})));
  small.named(NamedString{kTestSet, u"apptime"}, raw(PropType::FloatingTime, leBytes<std::uint64_t>({0x40E5F54000000000})));
  small.named(NamedString{kTestSet, u"error"}, raw(PropType::ErrorCode, leBytes<std::uint32_t>({0x8004010F})));
  small.named(NamedString{kTestSet, u"true"}, PropertyValue::boolean(true));
  small.named(NamedString{kTestSet, u"false"}, PropertyValue::boolean(false));
  small.named(NamedString{kTestSet, u"i64"}, PropertyValue::integer64(-(std::int64_t{1} << 40)));
  small.named(NamedString{kTestSet, u"time"}, PropertyValue::time(0x01D9C0DE12345678));
  small.named(NamedString{kTestSet, u"guid"}, PropertyValue::guid(kTestSet));
  small.named(NamedString{kTestSet, u"binary"}, PropertyValue::binary(randomBytes(40, 1)));
  small.named(NamedString{kTestSet, u"string8"}, raw(PropType::String8, {'a', 'b', 'c'}));
  small.named(NamedString{kTestSet, u"emoji"}, PropertyValue::string(u"Smile \U0001F600 \u263A"));
  small.named(NamedString{kTestSet, u"empty string"}, PropertyValue::string(u""));
  small.named(NamedString{kTestSet, u"empty binary"}, PropertyValue::binary({}));
  small.named(NamedString{kTestSet, u"mv i16"}, raw(PropType::MultipleInteger16, leBytes<std::int16_t>({1, -1, 7})));
  const std::vector<std::int32_t> ints{1, -2, 3};
  small.named(NamedString{kTestSet, u"mv i32"}, PropertyValue::multipleInteger32(ints));
  small.named(NamedString{kTestSet, u"mv i64"}, raw(PropType::MultipleInteger64, leBytes<std::int64_t>({5, -5})));
  small.named(NamedString{kTestSet, u"mv time"}, raw(PropType::MultipleTime, leBytes<std::uint64_t>({0x01D9C0DE12345678})));
  small.named(NamedString{kTestSet, u"mv guid"}, raw(PropType::MultipleGuid, {kTestSet.begin(), kTestSet.end()}));
  const std::vector<std::u16string> strings{u"Privat", u"Geschäft", u""};
  small.named(NamedString{PS_PUBLIC_STRINGS, u"Keywords"}, PropertyValue::multipleString(strings));
  const std::vector<std::vector<std::uint8_t>> binaries{randomBytes(3, 2), {}, randomBytes(17, 3)};
  small.named(NamedString{kTestSet, u"mv binary"}, PropertyValue::multipleBinary(binaries));

  Expected huge(folder, u"Huge Values");
  std::u16string body;
  for (int i = 0; body.size() < 300000; ++i) body += u"Zeile " + std::u16string(1, static_cast<char16_t>(u'α' + i % 20)) + u"\r\n";
  huge.tagged(0x1000, PropertyValue::string(body));
  huge.tagged(0x3A06, PropertyValue::string(u"Huge"));
  // Around the heap's allocation limit and the data block's size.
  for (std::size_t size : {3580, 3581, 8176, 8177, 1 << 20}) {
    const std::string digits = std::to_string(size);
    huge.named(NamedString{kTestSet, u"binary " + std::u16string(digits.begin(), digits.end())},
               PropertyValue::binary(randomBytes(size, static_cast<unsigned>(size))));
  }
  std::vector<std::u16string> manyStrings;
  for (int i = 0; i < 3000; ++i) manyStrings.push_back(u"Kategorie Nummer " + std::u16string(static_cast<std::size_t>(i % 40), u'ß'));
  huge.named(NamedString{kTestSet, u"mv string"}, PropertyValue::multipleString(manyStrings));
  std::vector<std::vector<std::uint8_t>> manyBinaries;
  for (unsigned i = 0; i < 60; ++i) manyBinaries.push_back(randomBytes(4000 + i, i));
  huge.named(NamedString{kTestSet, u"mv binary"}, PropertyValue::multipleBinary(manyBinaries));
  std::vector<std::int32_t> manyInts(20000);
  for (std::size_t i = 0; i < manyInts.size(); ++i) manyInts[i] = static_cast<std::int32_t>(i * 7919);
  huge.named(NamedString{kTestSet, u"mv i32"}, PropertyValue::multipleInteger32(manyInts));
  huge.named(NamedString{kTestSet, u"string8"}, raw(PropType::String8, std::vector<std::uint8_t>(10000, 'x')));

  // A 5 MB contact photo, a small file and an empty one.
  const auto photo = randomBytes(5 * 1024 * 1024, 42);
  huge.attach({{ltp::PropId{0x3704}, PropertyValue::string(u"ContactPicture.jpg")},
               {ltp::PropId{0x3707}, PropertyValue::string(u"ContactPicture.jpg")},
               {ltp::PropId{0x3703}, PropertyValue::string(u".jpg")},
               {ltp::PropId{0x3705}, PropertyValue::integer32(1)},
               {ltp::PropId{0x7FFE}, PropertyValue::boolean(true)},
               {ltp::PropId{0x7FFF}, PropertyValue::boolean(true)}},
              photo);
  huge.attach({{ltp::PropId{0x3704}, PropertyValue::string(u"Notiz.txt")}}, {'H', 'a', 'l', 'l', 'o'});
  huge.attach({{ltp::PropId{0x3704}, PropertyValue::string(u"leer.bin")}}, {});

  store->addMessage(contacts, small.message);
  store->addMessage(contacts, huge.message);
  EXPECT_EQ(store->messageCount(contacts), 2u);
  store->close();

  EXPECT_EQ(test::expectProblems(file, expectation({&small, &huge}, R"(,
      "folders": [{"path": "Top of Personal Folders/Kontakte", "messages": 2, "container_class": "IPF.Contact"}],
      "vcards": [{"folder": "Kontakte", "lines": ["FN:Müller\\, Jürgen", "N:Jürgen Müller;Jürgen;;;",
                  "EMAIL:juergen@example.com", "ORG:Ölwerk GmbH"]},
                 {"folder": "Kontakte", "lines": ["N:Huge Values;Huge;;;"]}])")),
            "");
}

TEST(StoreMessages, WhatOutlookComputesIsNotStored) {
  test::TempDir dir;
  const auto file = dir / "computed.pst";
  auto store = Store::create(file, u"Computed");
  const FolderId inbox = store->createFolder(store->ipmSubtree(), u"Post", u"IPF.Note");
  Expected reply("Top of Personal Folders/Post", u"Reply");
  reply.storedAs(0x0037, PropertyValue::string(u"RE: Hallo"), PropertyValue::string(u"\x01\x05RE: Hallo"));
  reply.subject(u"RE: Hallo");
  reply.message.properties.push_back({ltp::PropId{0x003D}, PropertyValue::string(u"RE: ")});
  reply.message.properties.push_back({ltp::PropId{0x0E1D}, PropertyValue::string(u"Hallo")});
  reply.message.properties.push_back({ltp::PropId{0x0FF9}, PropertyValue::binary(randomBytes(16, 5))});
  reply.message.properties.push_back({ltp::PropId{0x0E1B}, PropertyValue::boolean(true)});
  reply.message.properties.push_back({ltp::PropId{0x0E17}, PropertyValue::integer32(0x20)});
  for (const char* tag : {"003d001f", "0e1d001f", "0ff90102", "0e1b000b", "0e170003"}) reply.absent(tag);
  // Only the normalized part given: the prefix joins it.
  Message topic;
  topic.properties = {{ltp::PropId{0x0E1D}, PropertyValue::string(u"Hallo")},
                      {ltp::PropId{0x003D}, PropertyValue::string(u"AW: ")}};
  const MessageId replyId = store->addMessage(inbox, reply.message);
  store->addMessage(inbox, topic);
  store->close();

  EXPECT_EQ(test::expectProblems(file, expectation({&reply})), "");
  const auto nodes = test::dumpNodes(file);
  char nid[16];
  std::snprintf(nid, sizeof nid, "0x%x", replyId);
  const auto& contents = nodes.at((inbox & ~0x1Fu) | 0x0E);
  const auto* row = contents.rowWith(0x67F20003, nid);
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(test::shown(*row, 0x0E170003), "0x20");  // the status lives in the row
  const auto* second = contents.rowWith(0x0037001F, std::string("\x01\x05") + "AW: Hallo");
  EXPECT_NE(second, nullptr);
}

TEST(StoreMessages, ContentsTableRowsAndFolderCountsFollowTheMessages) {
  test::TempDir dir;
  const auto file = dir / "rows.pst";
  auto store = Store::create(file, u"Rows");
  const FolderId contacts = store->createFolder(store->ipmSubtree(), u"Contacts", u"IPF.Contact");
  Message unread = test::simpleContact(u"Una", u"Read");
  unread.properties.push_back({ltp::PropId{0x0E07}, PropertyValue::integer32(0)});
  const MessageId first = store->addMessage(contacts, test::simpleContact(u"Ann", u"Row"));
  store->addMessage(contacts, unread);
  store->close();

  const auto nodes = test::dumpNodes(file);
  char nid[16];
  std::snprintf(nid, sizeof nid, "0x%x", first);
  const auto& message = nodes.at(first);
  EXPECT_EQ(message.parent, contacts);
  EXPECT_EQ(message.subnodes, std::vector<std::uint32_t>{0x692});
  for (std::uint32_t tag : {0x0E080003u, 0x30070040u, 0x30080040u, 0x00390040u, 0x0E060040u, 0x300B0102u})
    EXPECT_TRUE(message.properties.count(tag)) << std::hex << tag;
  EXPECT_EQ(test::shown(message.properties, 0x0E070003), "0x1");

  const auto& contents = nodes.at((contacts & ~0x1Fu) | 0x0E);
  ASSERT_EQ(contents.rows.size(), 2u);
  const auto* row = contents.rowWith(0x67F20003, nid);
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(test::shown(*row, 0x001A001F), "IPM.Contact");
  EXPECT_EQ(test::shown(*row, 0x0037001F), std::string("\x01\x01") + "Ann Row");  // with its prefix marker
  EXPECT_EQ(test::shown(*row, 0x0E070003), "0x1");
  EXPECT_EQ(test::shown(*row, 0x0E170003), "0x0");
  EXPECT_EQ(test::shown(*row, 0x0E080003), test::shown(message.properties, 0x0E080003));
  EXPECT_EQ(test::shown(*row, 0x30080040), test::shown(message.properties, 0x30080040));

  EXPECT_EQ(test::shown(nodes.at(contacts).properties, 0x36020003), "0x2");
  EXPECT_EQ(test::shown(nodes.at(contacts).properties, 0x36030003), "0x1");
  std::snprintf(nid, sizeof nid, "0x%x", contacts);
  const auto* folderRow = nodes.at(0x802D).rowWith(0x67F20003, nid);
  ASSERT_NE(folderRow, nullptr);
  EXPECT_EQ(test::shown(*folderRow, 0x36020003), "0x2");
  EXPECT_EQ(test::shown(*folderRow, 0x36030003), "0x1");
  EXPECT_EQ(test::expectProblems(file, R"({"folders": [{"path": "Top of Personal Folders/Contacts", "messages": 2}],
                                           "readpst_counts": {"Contacts": 2}})"),
            "");
}

TEST(StoreMessages, NamedPropertiesShareOneIdAcrossTheStore) {
  test::TempDir dir;
  const auto file = dir / "named.pst";
  auto store = Store::create(file, u"Named");
  const FolderId a = store->createFolder(store->ipmSubtree(), u"A", u"IPF.Contact");
  const FolderId b = store->createFolder(a, u"B", u"IPF.Contact");
  const NamedString shared{kTestSet, u"shared"};
  Expected first("Top of Personal Folders/A", u"First");
  first.named(NamedString{kTestSet, u"only first"}, PropertyValue::integer32(1));
  first.named(shared, PropertyValue::string(u"eins"));
  Expected second("Top of Personal Folders/A/B", u"Second");
  second.named(shared, PropertyValue::string(u"zwei"));
  second.named(NamedId{PSETID_Common, 0x8580}, PropertyValue::integer32(2), "PSETID_Common:0x8580");
  store->addMessage(a, first.message);
  const ltp::PropId sharedId = store->namedPropertyId(shared);
  store->addMessage(b, second.message);
  EXPECT_EQ(store->namedPropertyId(shared), sharedId);
  const ltp::PropId onlyFirst = store->namedPropertyId(NamedString{kTestSet, u"only first"});
  EXPECT_GE(onlyFirst, 0x8000);
  EXPECT_EQ(sharedId, onlyFirst + 1);
  EXPECT_EQ(store->namedPropertyId(NamedId{PSETID_Common, 0x8580}), onlyFirst + 2);
  // An id the store assigned may be used as a plain id.
  Expected third("Top of Personal Folders/A/B", u"Third");
  third.tagged(sharedId, PropertyValue::string(u"drei"));
  store->addMessage(b, third.message);
  store->close();
  EXPECT_EQ(test::expectProblems(file, expectation({&first, &second, &third})), "");
}

TEST(StoreMessages, BadInputIsRejectedAndLosesNothing) {
  test::TempDir dir;
  const auto file = dir / "bad.pst";
  auto store = Store::create(file, u"Bad");
  const FolderId contacts = store->createFolder(store->ipmSubtree(), u"Contacts", u"IPF.Contact");
  store->addMessage(contacts, test::simpleContact(u"Good", u"Before"));

  auto withProperty = [](PropertyKey key, PropertyValue value) {
    Message m = test::simpleContact(u"Bad", u"Input");
    m.properties.push_back({std::move(key), std::move(value)});
    return m;
  };
  EXPECT_THROW(store->addMessage(contacts, withProperty(ltp::PropId{0x3A06}, raw(PropType::Integer32, {1, 2, 3}))), Error);
  EXPECT_THROW(store->addMessage(contacts, withProperty(ltp::PropId{0x3A06}, raw(PropType::String, {1, 2, 3}))), Error);
  EXPECT_THROW(store->addMessage(contacts, withProperty(ltp::PropId{0}, PropertyValue::integer32(1))), Error);
  EXPECT_THROW(store->addMessage(contacts, withProperty(ltp::PropId{0x9000}, PropertyValue::integer32(1))), Error);
  EXPECT_THROW(store->addMessage(contacts, withProperty(ltp::PropId{0x3A06}, raw(static_cast<PropType>(0x0999), {}))), Error);
  EXPECT_THROW(store->addMessage(contacts, withProperty(ltp::PropId{0x3A06}, raw(PropType::MultipleString, {9, 0, 0, 0}))), Error);
  EXPECT_THROW(store->addMessage(contacts, withProperty(NamedString{kTestSet, u""}, PropertyValue::integer32(1))), Error);
  EXPECT_THROW(store->addMessage(0x7FFFFFE2, test::simpleContact(u"No", u"Folder")), Error);
  EXPECT_THROW(store->addMessage(0x2223, test::simpleContact(u"Search", u"Folder")), Error);
  EXPECT_EQ(store->messageCount(contacts), 1u);

  store->addMessage(contacts, test::simpleContact(u"Good", u"After"));
  store->close();
  EXPECT_EQ(test::expectProblems(file, R"({"folders": [{"path": "Top of Personal Folders/Contacts", "messages": 2}],
                                           "readpst_counts": {"Contacts": 2}})"),
            "");
}

TEST(StoreMessages, ContentsTableWithSeventyThousandRows) {
  test::TempDir dir;
  const auto file = dir / "big.pst";
  auto store = Store::create(file, u"Big");
  const FolderId big = store->createFolder(store->ipmSubtree(), u"Big", u"IPF.Contact");
  const FolderId one = store->createFolder(store->ipmSubtree(), u"One", u"IPF.Contact");
  store->addMessage(one, test::simpleContact(u"Only", u"One"));
  for (int i = 0; i < 70000; ++i) {
    const std::string n = std::to_string(i);
    store->addMessage(big, test::simpleContact(u"Person", std::u16string(n.begin(), n.end())));
  }
  EXPECT_EQ(store->messageCount(big), 70000u);
  store->close();
  EXPECT_EQ(test::expectProblems(file, R"({"walk": false, "readpst_counts": {"Big": 70000, "One": 1}})"), "");
}

}  // namespace
}  // namespace pst
