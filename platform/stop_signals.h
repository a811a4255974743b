// The stop request of the user or the system: Ctrl+C (SIGINT), SIGTERM and a
// closed terminal (SIGHUP) ask the program to stop after the step at hand; a
// second such signal ends it at once. SIGXFSZ is ignored, so a write past the
// file size limit (ulimit -f) fails with EFBIG and is reported like a full
// disk instead of killing the program.
#pragma once

namespace quillonet::platform {

// Installs the handlers; later calls do nothing more.
void InstallStopSignals();
// A stop has been asked for since the handlers were installed.
bool StopRequested();
// The signal that asked, 0 when none has.
int StopSignal();
// A descriptor that becomes readable when a stop is asked for, for an event
// loop to watch; -1 before InstallStopSignals.
int StopNotifier();

}  // namespace quillonet::platform
