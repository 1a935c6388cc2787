#include "TerminalState.h"

TerminalState g_terminalState;
