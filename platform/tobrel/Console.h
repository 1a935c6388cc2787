// Terminals the library must never take over: the system's consoles and the terminal the
// program runs in.
#pragma once

#include <sys/types.h>

namespace tobrel {

// Why nDevice is refused ("the system console", "a virtual console", "the terminal this
// program runs in"), or nullptr when it may be opened.
const char* TerminalRefusal(dev_t nDevice);

}  // namespace tobrel
