// Stop signals through one async-signal-safe flag and a self-pipe.
#include "platform/stop_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <csignal>

namespace quillonet::platform {
namespace {

std::atomic<int> stopSignal{0};
int notifyPipe[2] = {-1, -1};

extern "C" void OnStopSignal(int signal) {
  stopSignal.store(signal);
  if (notifyPipe[1] >= 0) {
    const char byte = 1;
    (void)!::write(notifyPipe[1], &byte, 1);
  }
}

}  // namespace

void InstallStopSignals() {
  static const bool installed = [] {
    if (::pipe2(notifyPipe, O_CLOEXEC | O_NONBLOCK) != 0) notifyPipe[0] = notifyPipe[1] = -1;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND | SA_RESTART;  // a second signal ends the program at once
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
    std::signal(SIGXFSZ, SIG_IGN);
    return true;
  }();
  (void)installed;
}

bool StopRequested() { return stopSignal.load() != 0; }
int StopSignal() { return stopSignal.load(); }
int StopNotifier() { return notifyPipe[0]; }

}  // namespace quillonet::platform
