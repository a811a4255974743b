// Stop signals through one async-signal-safe flag and a self-pipe (POSIX),
// or a console control handler and an event (Windows).
#include "platform/stop_signals.h"

#include <atomic>
#include <csignal>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace quillonet::platform {
namespace {

std::atomic<int> stopSignal{0};

#ifdef _WIN32

HANDLE stopEvent = nullptr;

BOOL WINAPI OnConsoleEvent(DWORD event) {
  const int signal = event == CTRL_C_EVENT ? SIGINT : event == CTRL_BREAK_EVENT ? SIGBREAK : SIGTERM;
  int none = 0;
  // A second request goes on to the default handler, which ends the process.
  if (!stopSignal.compare_exchange_strong(none, signal)) return FALSE;
  if (stopEvent != nullptr) ::SetEvent(stopEvent);
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
    // The system ends the process as soon as this returns: wait here while
    // the program completes its step and exits (the system's own time limit
    // still applies).
    ::Sleep(INFINITE);
  }
  return TRUE;
}

#else

int notifyPipe[2] = {-1, -1};

extern "C" void OnStopSignal(int signal) {
  stopSignal.store(signal);
  if (notifyPipe[1] >= 0) {
    const char byte = 1;
    (void)!::write(notifyPipe[1], &byte, 1);
  }
}

#endif

}  // namespace

void InstallStopSignals() {
  static const bool installed = [] {
#ifdef _WIN32
    stopEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
#else
    if (::pipe2(notifyPipe, O_CLOEXEC | O_NONBLOCK) != 0) notifyPipe[0] = notifyPipe[1] = -1;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND | SA_RESTART;  // a second signal ends the program at once
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    return true;
  }();
  (void)installed;
}

bool StopRequested() { return stopSignal.load() != 0; }
int StopSignal() { return stopSignal.load(); }

#ifdef _WIN32
StopHandle StopNotifier() { return stopEvent; }
#else
StopHandle StopNotifier() { return notifyPipe[0]; }
#endif

}  // namespace quillonet::platform
