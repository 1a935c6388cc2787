// Terminals the library must never take over: the system's consoles and the terminal the
// program runs in.
#pragma once

#include <sys/types.h>

namespace tobrel {

// The one refusal a person may overrule, for a serial line that is some session's terminal.
inline constexpr char kOtherSessionsTerminal[] = "the controlling terminal of another session";

// Why nDevice is refused ("the system console", "a virtual console", "the terminal this
// program runs in", "the pseudo-terminal multiplexer", kOtherSessionsTerminal), or nullptr
// when it may be opened.
const char* TerminalRefusal(dev_t nDevice);

}  // namespace tobrel
