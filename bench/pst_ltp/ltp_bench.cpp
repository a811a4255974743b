// Times what the LTP layer does during an import: one property context per
// contact and the folder's contents table rebuilt at every commit.
// Usage: bench_pst_ltp [rows=100000] [rows per commit=5000]
#include <sys/resource.h>

#include <time.h>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "pst/ltp/property_context.h"
#include "pst/ltp/table_context.h"
#include "pst/ltp/table_templates.h"

using namespace pst::ltp;
namespace {

// CPU time of this process: the machine is shared, so wall time says little.
double cpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

long peakRssMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024;
}

std::size_t bytesOf(const pst::ndb::NodeData& node) {
  std::size_t total = 0;
  for (const auto& b : node.blocks) total += b.size();
  for (const auto& [nid, sub] : node.subnodes) total += bytesOf(sub);
  return total;
}

// The cells a contact's row carries in its folder's contents table.
std::map<PropTag, PropertyValue> contactRow(std::uint32_t i) {
  const std::string name = "Contact Person " + std::to_string(i);
  return {
      {0x001A001F, PropertyValue::string(u"IPM.Contact")},
      {0x0037001F, PropertyValue::stringFromUtf8(name)},
      {0x0070001F, PropertyValue::stringFromUtf8(name)},
      {0x00170003, PropertyValue::integer32(1)},
      {0x00360003, PropertyValue::integer32(0)},
      {0x0E070003, PropertyValue::integer32(1)},
      {0x0E080003, PropertyValue::integer32(1500)},
      {0x0E170003, PropertyValue::integer32(0)},
      {0x0057000B, PropertyValue::boolean(false)},
      {0x0058000B, PropertyValue::boolean(false)},
      {0x0E060040, PropertyValue::time(0x01DA000000000000 + i)},
      {0x30080040, PropertyValue::time(0x01DA000000000000 + i)},
  };
}

}  // namespace

int main(int argc, char** argv) {
  const std::uint32_t rows = argc > 1 ? static_cast<std::uint32_t>(std::atol(argv[1])) : 100000;
  const std::uint32_t perCommit = argc > 2 ? static_cast<std::uint32_t>(std::atol(argv[2])) : 5000;

  // The cost of making the cells alone, to take out of the figures below.
  double t0 = cpuSeconds();
  std::size_t sink = 0;
  for (std::uint32_t i = 0; i < rows; ++i) sink += contactRow(i).size();
  const double makeCells = cpuSeconds() - t0;

  // Contents table: rows added as contacts are saved, rebuilt at each commit.
  auto table = TableContextBuilder::withLayout(templates::contentsTable());
  double buildTime = 0, lastBuild = 0;
  std::size_t builds = 0, lastBytes = 0;
  t0 = cpuSeconds();
  for (std::uint32_t i = 0; i < rows; ++i) {
    table.setRow((i + 0x400) << 5 | 4, contactRow(i));
    if ((i + 1) % perCommit == 0 || i + 1 == rows) {
      const double t1 = cpuSeconds();
      const auto node = table.build();
      lastBytes = bytesOf(node);
      lastBuild = cpuSeconds() - t1;
      buildTime += lastBuild;
      ++builds;
    }
  }
  const double setTime = cpuSeconds() - t0 - buildTime - makeCells;
  std::printf("contents table: %u rows, %zu builds (CPU time)\n", rows, builds);
  std::printf("  setRow total %.3f s (%.0f ns/row)\n", setTime, setTime * 1e9 / rows);
  std::printf("  build total %.3f s, last build %.3f s, last node %.1f MB\n", buildTime, lastBuild, lastBytes / 1e6);
  std::printf("  peak RSS %ld MB\n", peakRssMb());

  // One property context per contact, about 40 properties; making the
  // values and setting them is timed apart from building.
  const std::uint32_t pcs = std::min<std::uint32_t>(rows, 100000);
  auto fill = [](PropertyContextBuilder& pc, std::uint32_t i) {
    for (PropId id = 0; id < 20; ++id) {
      pc.set(static_cast<PropId>(0x3A00 + id), PropertyValue::stringFromUtf8("value " + std::to_string(i + id)));
      pc.set(static_cast<PropId>(0x8000 + id), PropertyValue::integer32(static_cast<std::int32_t>(i)));
    }
  };
  t0 = cpuSeconds();
  for (std::uint32_t i = 0; i < pcs; ++i) {
    PropertyContextBuilder pc;
    fill(pc, i);
    sink += pc.properties().size();
  }
  const double pcSet = cpuSeconds() - t0;
  std::size_t pcBytes = 0;
  t0 = cpuSeconds();
  for (std::uint32_t i = 0; i < pcs; ++i) {
    PropertyContextBuilder pc;
    fill(pc, i);
    pcBytes += bytesOf(pc.build());
  }
  const double pcBuild = cpuSeconds() - t0 - pcSet;
  std::printf("property contexts: %u of 40 properties: set %.3f s (%.2f us each), build %.3f s (%.2f us each, %.0f bytes)\n",
              pcs, pcSet, pcSet * 1e6 / pcs, pcBuild, pcBuild * 1e6 / pcs, static_cast<double>(pcBytes) / pcs);
  return sink == 0;
}
