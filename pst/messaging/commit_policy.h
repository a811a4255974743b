// When a store commits on its own: after a number of saved messages or once
// the oldest uncommitted change is a few seconds old, whichever comes first.
#pragma once
#include <chrono>
#include <cstdint>
#include <optional>

namespace pst {

class CommitPolicy {
 public:
  using Clock = std::chrono::steady_clock;

  CommitPolicy(std::uint32_t messagesPerCommit, double secondsPerCommit)
      : messagesPerCommit_(messagesPerCommit),
        maxAge_(std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(secondsPerCommit))) {}

  void changed(Clock::time_point now = Clock::now()) {
    if (!firstChange_) firstChange_ = now;
  }
  void messageAdded(Clock::time_point now = Clock::now()) {
    changed(now);
    ++messages_;
  }
  bool due(Clock::time_point now = Clock::now()) const {
    if (!firstChange_) return false;
    return (messagesPerCommit_ != 0 && messages_ >= messagesPerCommit_) || now - *firstChange_ >= maxAge_;
  }
  void committed() {
    firstChange_.reset();
    messages_ = 0;
  }

 private:
  std::uint32_t messagesPerCommit_;
  Clock::duration maxAge_;
  std::optional<Clock::time_point> firstChange_;
  std::uint32_t messages_ = 0;
};

}  // namespace pst
