// The read-ahead thread: order, its bound, failures, and stopping early
// without losing track of what it made. The cards read ahead by workers and
// the importing thread alike: each read once, all taken in order.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <vector>

#include <chrono>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "import/card_reading.h"
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

// A card reader that says which card it read, on which thread, and fails
// like running out of memory on the bytes "fail".
class RecordingReader : public automation::CardReader {
 public:
  struct Card : automation::ReadCard {
    std::string bytes;
  };
  std::shared_ptr<const automation::ReadCard> Read(std::string_view bytes, const std::u16string&) const override {
    if (bytes == "fail") throw std::bad_alloc();
    std::this_thread::sleep_for(std::chrono::microseconds(bytes.size() % 3 * 50));
    const std::lock_guard lock(mutex_);
    threads_.insert(std::this_thread::get_id());
    ++reads_;
    auto read = std::make_shared<Card>();
    read->bytes = std::string(bytes);
    return read;
  }
  int reads() const {
    const std::lock_guard lock(mutex_);
    return reads_;
  }
  std::size_t threads() const {
    const std::lock_guard lock(mutex_);
    return threads_.size();
  }

 private:
  mutable std::mutex mutex_;
  mutable std::set<std::thread::id> threads_;
  mutable int reads_ = 0;
};

TEST(CardReading, EveryCardIsReadOnceAndTakenInOrderWithOrWithoutWorkers) {
  for (const std::size_t workers : {std::size_t{0}, std::size_t{1}, std::size_t{3}}) {
    SCOPED_TRACE(workers);
    auto reader = std::make_shared<RecordingReader>();
    {
      CardReading reading(reader, workers);
      std::vector<std::shared_ptr<CardReading::Card>> cards;
      for (int i = 0; i < 2000; ++i) cards.push_back(reading.Add("card " + std::to_string(i), u"card"));
      for (int i = 0; i < 2000; ++i) {
        const auto read = std::dynamic_pointer_cast<const RecordingReader::Card>(reading.Take(*cards[i]));
        ASSERT_NE(read, nullptr);
        ASSERT_EQ(read->bytes, "card " + std::to_string(i));
      }
      // Only the importing thread reads when there are no workers.
      if (workers == 0) EXPECT_EQ(reader->threads(), 1u);
      // A failure to read comes out where the card is taken; the rest go on.
      const auto failing = reading.Add("fail", u"card");
      const auto after = reading.Add("after", u"card");
      EXPECT_THROW(reading.Take(*failing), std::bad_alloc);
      EXPECT_NE(reading.Take(*after), nullptr);
    }
    EXPECT_EQ(reader->reads(), 2001);
  }
}

TEST(CardReading, CardsNeverTakenAreDroppedWhenItEnds) {
  auto reader = std::make_shared<RecordingReader>();
  {
    CardReading reading(reader, 2);
    for (int i = 0; i < 500; ++i) reading.Add("card " + std::to_string(i), u"card");
  }
  EXPECT_LE(reader->reads(), 500);
}

}  // namespace
}  // namespace quillonet
