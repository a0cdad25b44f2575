#pragma once

namespace corvane {

// Makes SIGTERM (the session ending, `kill`) and SIGINT (Ctrl-C in a terminal) end the
// app through its normal quit, as "Quit Corvane" does, instead of killing it mid-write.
// The handler only writes a byte to two pipes: one the event loop watches to quit, one
// a watchdog thread waits on. The signals are blocked on the calling (GUI) thread and so
// on every thread it starts later, and go to the watchdog, which can always take them.
// Whatever holds the GUI thread up, the watchdog ends the process by the signal 4 s
// after it came, once the writes the app must not cut short (PendingWrites) are done or
// half a second more has passed. A second signal, once the quit has begun, ends the
// process at once. Call once, on the GUI thread, after the application object exists.
void quitOnTerminationSignals();

} // namespace corvane
