// When the display goes away under the program (the X server ends, the
// session is closed), Xlib's own answer is to call exit() from inside the
// event poll: the destructors of threads still running then abort the
// program, and the settings of the session are lost. Instead the handler
// set here runs on the main thread, to save what the user would lose, and
// the program ends with exit code 1 without running any destructor.
#pragma once

namespace ampliro {

void SetDisplayLostHandler(void (*handler)());

// Main thread, once the video subsystem is up: watches its connection when
// it is an X display (the other drivers end no program this way).
void WatchForDisplayLoss();

}  // namespace ampliro
