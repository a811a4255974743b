// Metronome: a beat every interval, kept on its own thread.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace quillonet {

// The import run yields to the window dozens of times per card; reading a
// clock at each would cost more than the window's whole share of the run.
// A beat is one flag that this thread raises when an interval has passed
// since the last Restart, so the caller's test is a single load.
class Metronome {
 public:
  explicit Metronome(std::chrono::milliseconds interval) : interval_(interval) {}
  ~Metronome() { Stop(); }
  Metronome(const Metronome&) = delete;
  Metronome& operator=(const Metronome&) = delete;

  bool Running() const { return thread_.joinable(); }
  // Whether a beat fell since the last Restart.
  bool Beat() const { return beat_.load(std::memory_order_relaxed); }
  // Lowers the beat and counts the next interval from now; starts the
  // thread when it is not running.
  void Restart();
  // Ends the thread: no beats until the next Restart.
  void Stop();

 private:
  void Run();

  const std::chrono::milliseconds interval_;
  std::atomic<bool> beat_{false};
  std::mutex mutex_;
  std::condition_variable wake_;
  bool restart_ = false;  // guarded by mutex_
  bool stop_ = false;     // guarded by mutex_
  std::thread thread_;
};

}  // namespace quillonet
