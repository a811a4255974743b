// The read-ahead thread: order, its bound, failures, and stopping early
// without losing track of what it made.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <vector>

#include "import/read_ahead.h"

namespace quillonet {
namespace {

// Counts the items alive, so a test sees none is leaked or kept.
struct Counted {
  explicit Counted(int v, std::shared_ptr<std::atomic<int>> alive) : value(v), alive_(std::move(alive)) { ++*alive_; }
  Counted(Counted&& other) noexcept : value(other.value), alive_(other.alive_) { ++*alive_; }
  Counted& operator=(Counted&&) = delete;
  ~Counted() { --*alive_; }
  int value;

 private:
  std::shared_ptr<std::atomic<int>> alive_;
};

TEST(ReadAhead, ItemsArriveInOrderAndTheProducerStaysWithinItsBound) {
  std::atomic<int> made{0};
  std::atomic<int> taken{0};
  std::atomic<int> furthestAhead{0};
  ReadAhead<int> ahead(3, [&](const ReadAhead<int>::Put& put) {
    for (int i = 0; i < 1000; ++i) {
      ++made;
      furthestAhead = std::max(furthestAhead.load(), made - taken);
      if (!put(int{i})) return;
    }
  });
  for (int i = 0; i < 1000; ++i) {
    const std::optional<int> item = ahead.next();
    ASSERT_TRUE(item.has_value());
    ASSERT_EQ(*item, i);
    ++taken;
  }
  EXPECT_FALSE(ahead.next().has_value());
  EXPECT_FALSE(ahead.next().has_value());
  // Three waiting, one being handed over, one being made.
  EXPECT_LE(furthestAhead.load(), 5);
}

TEST(ReadAhead, AFailureArrivesAfterTheItemsMadeBeforeIt) {
  ReadAhead<int> ahead(8, [](const ReadAhead<int>::Put& put) {
    put(1);
    put(2);
    throw std::runtime_error("disk gone");
  });
  EXPECT_EQ(ahead.next(), 1);
  EXPECT_EQ(ahead.next(), 2);
  try {
    ahead.next();
    FAIL() << "the producer's failure was not passed on";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "disk gone");
  }
  EXPECT_FALSE(ahead.next().has_value());
}

TEST(ReadAhead, StoppingEarlyEndsTheProducerAndDropsWhatWasNotTaken) {
  auto alive = std::make_shared<std::atomic<int>>(0);
  std::atomic<bool> refused{false};
  {
    ReadAhead<Counted> ahead(4, [&](const ReadAhead<Counted>::Put& put) {
      for (int i = 0;; ++i) {
        if (!put(Counted(i, alive))) {
          refused = true;
          return;
        }
      }
    });
    EXPECT_EQ(ahead.next()->value, 0);
    EXPECT_EQ(ahead.next()->value, 1);
    ahead.stop();
  }  // joined here: the producer must have seen the stop, or this never returns
  EXPECT_TRUE(refused);
  EXPECT_EQ(alive->load(), 0) << "items made ahead were not destroyed";

  // Leaving without stop() does the same.
  {
    ReadAhead<Counted> ahead(2, [&](const ReadAhead<Counted>::Put& put) {
      while (put(Counted(7, alive))) {
      }
    });
    EXPECT_EQ(ahead.next()->value, 7);
  }
  EXPECT_EQ(alive->load(), 0);
}

}  // namespace
}  // namespace quillonet
