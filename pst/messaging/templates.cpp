// Table templates of a new store: the folder and message tables come from
// the LTP layer, the store-wide internal tables are laid out here.
#include "pst/messaging/templates.h"

#include <algorithm>
#include <array>

#include "pst/ltp/table_templates.h"

namespace pst::templates {
namespace {

using ltp::ColumnDesc;

// Store-wide tables of Outlook's empty store: {tag, ibData, cbData, iBit},
// sorted by tag as Outlook stores them.
constexpr std::array kReceiveFolder{
    ColumnDesc{0x001A001F, 12, 4, 3}, ColumnDesc{0x66050003, 8, 4, 2},
    ColumnDesc{0x67F20003, 0, 4, 0},  ColumnDesc{0x67F30003, 4, 4, 1},
};

constexpr std::array kOutgoingQueue{
    ColumnDesc{0x00390040, 16, 8, 4}, ColumnDesc{0x0E100003, 12, 4, 3},
    ColumnDesc{0x0E140003, 8, 4, 2},  ColumnDesc{0x67F20003, 0, 4, 0},
    ColumnDesc{0x67F30003, 4, 4, 1},
};

constexpr std::array kInternal16{
    ColumnDesc{0x0E330014, 8, 8, 2}, ColumnDesc{0x0E370102, 16, 4, 3},
    ColumnDesc{0x0E380003, 20, 4, 4}, ColumnDesc{0x67F20003, 0, 4, 0},
    ColumnDesc{0x67F30003, 4, 4, 1},
};

constexpr std::array kInternal17{
    ColumnDesc{0x001A001F, 36, 4, 8}, ColumnDesc{0x0E300102, 16, 4, 4},
    ColumnDesc{0x0E310102, 12, 4, 3}, ColumnDesc{0x0E330014, 28, 8, 7},
    ColumnDesc{0x0E340102, 24, 4, 6}, ColumnDesc{0x0E380003, 20, 4, 5},
    ColumnDesc{0x0E3E0102, 8, 4, 2},  ColumnDesc{0x67F20003, 0, 4, 0},
    ColumnDesc{0x67F30003, 4, 4, 1},
};

constexpr std::array kInternal18{
    ColumnDesc{0x0E330014, 16, 8, 3}, ColumnDesc{0x30070040, 8, 8, 2},
    ColumnDesc{0x67F20003, 0, 4, 0},  ColumnDesc{0x67F30003, 4, 4, 1},
};

}  // namespace

std::span<const ColumnDesc> hierarchyColumns() {
  static const auto columns = ltp::templates::hierarchyTable();
  return columns;
}
std::span<const ColumnDesc> contentsColumns() {
  static const auto columns = ltp::templates::contentsTable();
  return columns;
}
std::span<const ColumnDesc> assocContentsColumns() {
  static const auto columns = ltp::templates::faiContentsTable();
  return columns;
}
std::span<const ColumnDesc> searchContentsColumns() {
  static const auto columns = ltp::templates::searchContentsTable();
  return columns;
}
std::span<const ColumnDesc> attachmentColumns() {
  static const auto columns = ltp::templates::attachmentTable();
  return columns;
}
std::span<const ColumnDesc> recipientColumns() {
  static const auto columns = ltp::templates::recipientTable();
  return columns;
}
std::span<const ColumnDesc> receiveFolderColumns() { return kReceiveFolder; }
std::span<const ColumnDesc> outgoingQueueColumns() { return kOutgoingQueue; }
std::span<const ColumnDesc> internalTable16Columns() { return kInternal16; }
std::span<const ColumnDesc> internalTable17Columns() { return kInternal17; }
std::span<const ColumnDesc> internalTable18Columns() { return kInternal18; }

ltp::TableContextBuilder tableWith(std::span<const ColumnDesc> columns) {
  return ltp::TableContextBuilder::withLayout({columns.begin(), columns.end()});
}

bool hasColumn(std::span<const ColumnDesc> columns, ltp::PropTag tag) {
  return std::any_of(columns.begin(), columns.end(),
                     [tag](const ColumnDesc& c) { return c.tag == tag; });
}

}  // namespace pst::templates
