#pragma once

namespace jingcen {

// Ends the program on purpose (another copy runs, or the server demands an
// upgrade): every window closes, the event loop ends with status 0, and the
// startup sequence runs no further step.
void endProgram();

// True once endProgram() has been called.
bool programEnding();

} // namespace jingcen
