// Metronome: the beat thread.
#include "app/metronome.h"

#include <system_error>

namespace quillonet {

void Metronome::Restart() {
  beat_.store(false, std::memory_order_relaxed);
  if (!thread_.joinable()) {
    stop_ = false;
    try {
      thread_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
      // No thread to spare: not Running, so the caller serves every time.
    }
    return;
  }
  {
    const std::lock_guard lock(mutex_);
    restart_ = true;
  }
  wake_.notify_one();
}

void Metronome::Stop() {
  if (!thread_.joinable()) return;
  {
    const std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_one();
  thread_.join();
  beat_.store(false, std::memory_order_relaxed);
}

void Metronome::Run() {
  std::unique_lock lock(mutex_);
  while (!stop_) {
    restart_ = false;
    // Woken early by a restart: the interval starts again.
    if (wake_.wait_for(lock, interval_, [this] { return stop_ || restart_; })) continue;
    beat_.store(true, std::memory_order_relaxed);
  }
}

}  // namespace quillonet
