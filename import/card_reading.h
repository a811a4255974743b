// Cards cut from a file, read by a session's card reader on whichever thread
// gets to them first: worker threads take them in the order they were cut;
// the importing thread reads the card it needs itself when no worker has
// begun it, and helps with the next ones while a worker finishes it. So the
// reading spreads over the processors without ever holding the import up.
#pragma once

#include <condition_variable>
#include <algorithm>
#include <cstddef>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "automation/objects.h"

namespace quillonet {

class CardReading {
 public:
  // A card waiting to be read, being read, or read.
  class Card {
   public:
    Card(std::string bytes, std::u16string name) : bytes_(std::move(bytes)), name_(std::move(name)) {}

   private:
    friend class CardReading;
    enum class State { Waiting, Reading, Done };
    State state_ = State::Waiting;
    std::string bytes_;
    std::u16string name_;
    std::shared_ptr<const automation::ReadCard> read_;
    std::exception_ptr failure_;
  };

  // workers: threads of its own that read cards as they come (none: every
  // card is read by the thread that takes it).
  CardReading(std::shared_ptr<const automation::CardReader> reader, std::size_t workers) : reader_(std::move(reader)) {
    for (std::size_t i = 0; i < workers; ++i) workers_.emplace_back([this] { work(); });
  }
  ~CardReading() {
    {
      const std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread& worker : workers_) worker.join();
  }
  CardReading(const CardReading&) = delete;
  CardReading& operator=(const CardReading&) = delete;

  // Workers wanted beside the importing thread and the one cutting cards:
  // the processors left, at least one, at most three.
  static std::size_t DefaultWorkers() {
    const unsigned processors = std::thread::hardware_concurrency();
    return processors <= 3 ? 1 : std::min<std::size_t>(processors - 2, 3);
  }

  // A card cut, in order; name stands for it in errors.
  std::shared_ptr<Card> Add(std::string bytes, std::u16string name) {
    auto card = std::make_shared<Card>(std::move(bytes), std::move(name));
    {
      const std::lock_guard lock(mutex_);
      queue_.push_back(card);
    }
    changed_.notify_all();
    return card;
  }

  // The card read, reading it here if no one has begun it. Throws what
  // reading it threw (only running out of memory: the reader keeps what is
  // wrong with a card in the card).
  std::shared_ptr<const automation::ReadCard> Take(Card& card) {
    std::unique_lock lock(mutex_);
    for (;;) {
      if (card.state_ == Card::State::Done) {
        if (card.failure_) std::rethrow_exception(card.failure_);
        return card.read_;
      }
      if (card.state_ == Card::State::Waiting) {
        readHere(card, lock);
        continue;
      }
      // A worker is reading it: the next card waiting is read here meanwhile.
      if (const std::shared_ptr<Card> next = nextWaiting()) {
        readHere(*next, lock);
        continue;
      }
      changed_.wait(lock);
    }
  }

 private:
  // The first card of the queue nobody has begun; cards begun leave it.
  std::shared_ptr<Card> nextWaiting() {
    while (!queue_.empty() && queue_.front()->state_ != Card::State::Waiting) queue_.pop_front();
    if (queue_.empty()) return nullptr;
    std::shared_ptr<Card> card = std::move(queue_.front());
    queue_.pop_front();
    return card;
  }

  // Reads card outside the lock, which is held before and after.
  void readHere(Card& card, std::unique_lock<std::mutex>& lock) {
    card.state_ = Card::State::Reading;
    lock.unlock();
    std::shared_ptr<const automation::ReadCard> read;
    std::exception_ptr failure;
    try {
      read = reader_->Read(card.bytes_, card.name_);
    } catch (...) {
      failure = std::current_exception();
    }
    std::string().swap(card.bytes_);  // only the reading thread touches them now
    lock.lock();
    card.read_ = std::move(read);
    card.failure_ = failure;
    card.state_ = Card::State::Done;
    changed_.notify_all();
  }

  void work() {
    std::unique_lock lock(mutex_);
    for (;;) {
      std::shared_ptr<Card> card;
      changed_.wait(lock, [&] { return stopping_ || (card = nextWaiting()) != nullptr; });
      if (!card) return;
      readHere(*card, lock);
    }
  }

  const std::shared_ptr<const automation::CardReader> reader_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::shared_ptr<Card>> queue_;  // cut, in order; some may be begun already
  bool stopping_ = false;
  std::vector<std::thread> workers_;  // last: started once everything above is ready
};

}  // namespace quillonet
