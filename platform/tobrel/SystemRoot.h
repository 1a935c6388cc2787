// Where the library reads /sys and /dev: under QUORVEL_SYSROOT when it is set, so tests can
// put a tree of their own in their place, else at the system's root.
#pragma once

#include <string>

namespace tobrel {

// strPath ("/sys/class/tty") under the root.
std::string SystemPath(const std::string& strPath);
// The device path shown for a kernel name: "/dev/ttyUSB0", whatever the root.
std::string ShownDevice(const std::string& strName);

}  // namespace tobrel
