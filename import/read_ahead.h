// A producer that runs ahead of its consumer on a thread of its own, by at
// most a fixed number of items, and hands them over in the order it made them.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

namespace quillonet {

template <typename Item>
class ReadAhead {
 public:
  // Hands one item over; waits while `capacity` items are waiting already.
  // Returns false, dropping the item, once the consumer wants no more: the
  // producer should then return soon.
  using Put = std::function<bool(Item&&)>;
  using Produce = std::function<void(const Put&)>;

  // Starts produce on its own thread at once.
  ReadAhead(std::size_t capacity, Produce produce) : capacity_(capacity ? capacity : 1) {
    thread_ = std::thread([this, produce = std::move(produce)] {
      try {
        produce([this](Item&& item) { return put(std::move(item)); });
      } catch (...) {
        const std::lock_guard lock(mutex_);
        failure_ = std::current_exception();
      }
      const std::lock_guard lock(mutex_);
      finished_ = true;
      changed_.notify_all();
    });
  }

  // Stops the producer and waits for its thread; items not taken are destroyed.
  ~ReadAhead() {
    stop();
    thread_.join();
  }

  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // The next item, waiting for the producer to make it; nothing once the
  // producer has returned and every item was taken. What the producer threw
  // is thrown here, after the items it made before.
  std::optional<Item> next() {
    std::unique_lock lock(mutex_);
    if (items_.empty() && !finished_) {
      consumerWaiting_ = true;
      changed_.wait(lock, [this] { return !items_.empty() || finished_; });
      consumerWaiting_ = false;
    }
    if (items_.empty()) {
      if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
      return std::nullopt;
    }
    Item item = std::move(items_.front());
    items_.pop_front();
    if (producerWaiting_ && items_.size() <= resumeAt()) changed_.notify_all();
    return item;
  }

  // No more items are wanted: the producer's next put() returns false, and
  // the items waiting are destroyed (on this thread, at once).
  void stop() {
    std::deque<Item> dropped;
    {
      const std::lock_guard lock(mutex_);
      stopped_ = true;
      dropped.swap(items_);
      changed_.notify_all();
    }
  }

 private:
  bool put(Item&& item) {
    std::unique_lock lock(mutex_);
    if (items_.size() >= capacity_ && !stopped_) {
      // Full: resumes only once half of it was taken, so that the two
      // threads do not wake each other for every item.
      producerWaiting_ = true;
      changed_.wait(lock, [this] { return items_.size() <= resumeAt() || stopped_; });
      producerWaiting_ = false;
    }
    if (stopped_) {
      lock.unlock();
      [[maybe_unused]] Item dropped = std::move(item);  // destroyed outside the lock
      return false;
    }
    items_.push_back(std::move(item));
    if (consumerWaiting_) changed_.notify_all();
    return true;
  }

  std::size_t resumeAt() const { return capacity_ / 2; }

  const std::size_t capacity_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Item> items_;
  bool stopped_ = false;
  bool finished_ = false;
  bool producerWaiting_ = false;
  bool consumerWaiting_ = false;
  std::exception_ptr failure_;
  std::thread thread_;  // last: started once everything above is ready
};

}  // namespace quillonet
