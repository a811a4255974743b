// Table templates of a new store: the column layouts of Outlook's own files.
#include "pst/messaging/templates.h"

#include <algorithm>
#include <array>

namespace pst::templates {
namespace {

using ltp::ColumnDesc;

// {tag, ibData, cbData, iBit}, sorted by tag as Outlook stores them.
constexpr std::array kHierarchy{
    ColumnDesc{0x0E300102, 20, 4, 6},  ColumnDesc{0x0E330014, 24, 8, 7},
    ColumnDesc{0x0E340102, 32, 4, 8},  ColumnDesc{0x0E380003, 36, 4, 9},
    ColumnDesc{0x3001001F, 8, 4, 2},   ColumnDesc{0x36020003, 12, 4, 3},
    ColumnDesc{0x36030003, 16, 4, 4},  ColumnDesc{0x360A000B, 52, 1, 5},
    ColumnDesc{0x3613001F, 40, 4, 10}, ColumnDesc{0x66350003, 44, 4, 11},
    ColumnDesc{0x66360003, 48, 4, 12}, ColumnDesc{0x67F20003, 0, 4, 0},
    ColumnDesc{0x67F30003, 4, 4, 1},
};

constexpr std::array kContents{
    ColumnDesc{0x00170003, 20, 4, 5},   ColumnDesc{0x001A001F, 12, 4, 3},
    ColumnDesc{0x00360003, 60, 4, 15},  ColumnDesc{0x0037001F, 28, 4, 7},
    ColumnDesc{0x00390040, 40, 8, 9},   ColumnDesc{0x0042001F, 24, 4, 6},
    ColumnDesc{0x0057000B, 120, 1, 13}, ColumnDesc{0x0058000B, 121, 1, 14},
    ColumnDesc{0x0070001F, 68, 4, 17},  ColumnDesc{0x00710102, 72, 4, 18},
    ColumnDesc{0x0E03001F, 56, 4, 12},  ColumnDesc{0x0E04001F, 52, 4, 11},
    ColumnDesc{0x0E060040, 32, 8, 8},   ColumnDesc{0x0E070003, 16, 4, 4},
    ColumnDesc{0x0E080003, 48, 4, 10},  ColumnDesc{0x0E170003, 8, 4, 2},
    ColumnDesc{0x0E300102, 92, 4, 22},  ColumnDesc{0x0E330014, 96, 8, 23},
    ColumnDesc{0x0E340102, 104, 4, 24}, ColumnDesc{0x0E380003, 116, 4, 27},
    ColumnDesc{0x0E3C0102, 112, 4, 26}, ColumnDesc{0x0E3D0102, 108, 4, 25},
    ColumnDesc{0x10970003, 64, 4, 16},  ColumnDesc{0x30080040, 84, 8, 21},
    ColumnDesc{0x30130102, 76, 4, 19},  ColumnDesc{0x65C60003, 80, 4, 20},
    ColumnDesc{0x67F20003, 0, 4, 0},    ColumnDesc{0x67F30003, 4, 4, 1},
};

constexpr std::array kAssocContents{
    ColumnDesc{0x001A001F, 12, 4, 3},  ColumnDesc{0x0E070003, 16, 4, 4},
    ColumnDesc{0x0E170003, 8, 4, 2},   ColumnDesc{0x3001001F, 20, 4, 5},
    ColumnDesc{0x67F20003, 0, 4, 0},   ColumnDesc{0x67F30003, 4, 4, 1},
    ColumnDesc{0x6800001F, 44, 4, 11}, ColumnDesc{0x6803000B, 56, 1, 12},
    ColumnDesc{0x68051003, 48, 4, 13}, ColumnDesc{0x682F001F, 52, 4, 14},
    ColumnDesc{0x70030003, 24, 4, 6},  ColumnDesc{0x70040102, 28, 4, 7},
    ColumnDesc{0x70050102, 32, 4, 8},  ColumnDesc{0x7006001F, 36, 4, 9},
    ColumnDesc{0x70070003, 40, 4, 10},
};

constexpr std::array kSearchContents{
    ColumnDesc{0x00170003, 28, 4, 7},  ColumnDesc{0x001A001F, 20, 4, 5},
    ColumnDesc{0x00360003, 60, 4, 16}, ColumnDesc{0x0037001F, 36, 4, 9},
    ColumnDesc{0x0042001F, 32, 4, 8},  ColumnDesc{0x0057000B, 72, 1, 14},
    ColumnDesc{0x0058000B, 73, 1, 15}, ColumnDesc{0x0E03001F, 56, 4, 13},
    ColumnDesc{0x0E04001F, 52, 4, 12}, ColumnDesc{0x0E05001F, 12, 4, 3},
    ColumnDesc{0x0E060040, 40, 8, 10}, ColumnDesc{0x0E070003, 24, 4, 6},
    ColumnDesc{0x0E080003, 48, 4, 11}, ColumnDesc{0x0E170003, 16, 4, 4},
    ColumnDesc{0x0E2A000B, 74, 1, 17}, ColumnDesc{0x30080040, 64, 8, 18},
    ColumnDesc{0x67F10003, 8, 4, 2},   ColumnDesc{0x67F20003, 0, 4, 0},
    ColumnDesc{0x67F30003, 4, 4, 1},
};

constexpr std::array kAttachment{
    ColumnDesc{0x0E200003, 12, 4, 3}, ColumnDesc{0x3704001F, 20, 4, 5},
    ColumnDesc{0x37050003, 16, 4, 4}, ColumnDesc{0x370B0003, 8, 4, 2},
    ColumnDesc{0x67F20003, 0, 4, 0},  ColumnDesc{0x67F30003, 4, 4, 1},
};

constexpr std::array kRecipient{
    ColumnDesc{0x0C150003, 24, 4, 7},  ColumnDesc{0x0E0F000B, 48, 1, 2},
    ColumnDesc{0x0FF90102, 32, 4, 9},  ColumnDesc{0x0FFE0003, 36, 4, 10},
    ColumnDesc{0x0FFF0102, 16, 4, 5},  ColumnDesc{0x3001001F, 20, 4, 6},
    ColumnDesc{0x3002001F, 8, 4, 3},   ColumnDesc{0x3003001F, 12, 4, 4},
    ColumnDesc{0x300B0102, 28, 4, 8},  ColumnDesc{0x39000003, 40, 4, 11},
    ColumnDesc{0x39FF001F, 44, 4, 13}, ColumnDesc{0x3A40000B, 49, 1, 12},
    ColumnDesc{0x67F20003, 0, 4, 0},   ColumnDesc{0x67F30003, 4, 4, 1},
};

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

std::span<const ColumnDesc> hierarchyColumns() { return kHierarchy; }
std::span<const ColumnDesc> contentsColumns() { return kContents; }
std::span<const ColumnDesc> assocContentsColumns() { return kAssocContents; }
std::span<const ColumnDesc> searchContentsColumns() { return kSearchContents; }
std::span<const ColumnDesc> attachmentColumns() { return kAttachment; }
std::span<const ColumnDesc> recipientColumns() { return kRecipient; }
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
