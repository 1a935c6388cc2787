// The system's active kernel console, which the library must never take over.
#pragma once

#include <sys/types.h>

// True when nDevice is /dev/console or one of the devices in /sys/class/tty/console/active.
bool IsSystemConsole(dev_t nDevice);
