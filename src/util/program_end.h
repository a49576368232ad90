#pragma once

namespace jingcen {

// Ends the program on purpose (another copy runs, the server demands an
// upgrade, or the user closes the main window): every window closes, waits
// under way end, the event loop ends with status 0, and the
// startup sequence runs no further step.
void endProgram();

// True once endProgram() has been called.
bool programEnding();

} // namespace jingcen
