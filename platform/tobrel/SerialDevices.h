// The serial devices the kernel lists under /sys/class/tty, with what is known of each:
// read from sysfs directly, and the stable names from /dev/serial/by-id and by-path.
#pragma once

#include <string>
#include <vector>

namespace tobrel {

struct SSerialDevice {
  std::string strName;         // kernel name, "ttyUSB0"
  std::string strDescription;  // "FTDI FT232R USB UART"; empty when unknown
  std::string strSerial;       // the adapter's serial number; empty when unknown
  std::string strById;         // name under /dev/serial/by-id; empty when none
  std::string strIdentity;     // what the device is remembered by: by-id, else by-path, else kernel name
  bool bOnBoard = false;       // a ttySn with a UART chip behind it
  int nOnBoardIndex = -1;      // n of ttySn
};

// Every device with a `device` link that is not a virtual console, in name order. A ttySn
// without a chip (type 0, PORT_UNKNOWN) is left out.
std::vector<SSerialDevice> ListSerialDevices();

// "FTDI FT232R USB UART, serial A6008isP", or empty when nothing is known.
std::string DescribeDevice(const SSerialDevice& device);

}  // namespace tobrel
