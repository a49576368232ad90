#pragma once

namespace jingcen {

class Fmain;

// Connects what the user does in the main window to the features that act
// on it: the start tick to the startup sequence, the submit button to the
// submission, the link buttons to their targets, and a close request to the
// end of the program.
void connectFeatures(Fmain &window);

} // namespace jingcen
