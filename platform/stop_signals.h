// The stop request of the user or the system. On POSIX Ctrl+C (SIGINT),
// SIGTERM and a closed terminal (SIGHUP) ask the program to stop after the
// step at hand; a second such signal ends it at once. SIGXFSZ is ignored,
// so a write past the file size limit (ulimit -f) fails with EFBIG and is
// reported like a full disk instead of killing the program. On Windows the
// console's Ctrl+C and Ctrl+Break, its closing, logging off and shutting
// down do the same (a second one ends the program at once).
#pragma once

namespace quillonet::platform {

// Installs the handlers; later calls do nothing more.
void InstallStopSignals();
// A stop has been asked for since the handlers were installed.
bool StopRequested();
// The signal that asked, 0 when none has (on Windows SIGINT for Ctrl+C,
// SIGBREAK for Ctrl+Break, SIGTERM for the others).
int StopSignal();

#ifdef _WIN32
using StopHandle = void*;  // an event HANDLE, set when a stop is asked for
#else
using StopHandle = int;  // a descriptor that becomes readable when a stop is asked for
#endif
// What an event loop watches for a stop; -1 (POSIX) or null (Windows) before InstallStopSignals.
StopHandle StopNotifier();

}  // namespace quillonet::platform
