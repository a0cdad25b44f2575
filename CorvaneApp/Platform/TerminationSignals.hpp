#pragma once

namespace corvane {

// Makes SIGTERM (the session ending, `kill`) and SIGINT (Ctrl-C in a terminal) end the
// app through its normal quit, as "Quit Corvane" does, instead of killing it mid-write.
// The handler only writes a byte to a pipe that the event loop watches; a second signal,
// once the quit has begun, ends the process at once. Call once, after the application
// object exists.
void quitOnTerminationSignals();

} // namespace corvane
