// Which device stands behind COM1 to COM10, decided afresh on each open, in this order:
// QUORVEL_COMn when set, else ports.conf (see PortChoices.h); an on-board UART ttySn with a chip keeps COMn+1; every
// other serial device takes the lowest free number and keeps it across unplugging and restarts, by its stable identity
// (see CPortMemory).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "LineOptions.h"
#include "PortNumber.h"
#include "SerialDevices.h"

namespace tobrel {

struct SPortTarget {
  std::string strShown;        // the device as the user knows it; empty when nothing stands behind the port
  std::string strPath;         // what is opened: strShown, under the system root when found there
  bool bFromVariable = false;  // chosen by the user, in QUORVEL_COMn or ports.conf
  SSerialDevice device;        // what is known of it
  SLineOptions options;
  std::string strOrigin;  // where the user chose it ("QUORVEL_COM3", "…/ports.conf:4")
};

// The targets of COM1 to COM10, at their numbers (index 0 unused). New devices are remembered.
std::array<SPortTarget, kLastPort + 1> MapPorts();

// What stands behind a port, for messages: "/dev/ttyUSB0, FTDI FT232R USB UART, serial A6008isP",
// and its options (", flow=rtscts, dtr=off").
std::string DescribeTarget(const SPortTarget& target);
// Whether the person mapped nPort's target with QUORVEL_COMn and confirmed with
// QUORVEL_COMn_IS_SERIAL=yes that it is a serial line, though some session has it as its terminal.
bool IsConfirmedSerial(uint8_t nPort, const SPortTarget& target);
// Why the target of nPort cannot be taken ("refused: the system console", "does not exist"),
// or empty.
std::string TargetProblem(uint8_t nPort, const SPortTarget& target);

// One line per COM number with a device: "COM3: /dev/ttyUSB0, FTDI FT232R USB UART, serial
// A6008isP (by-id usb-FTDI_...)", with why a device is refused; a QUORVEL_COMn for a number
// outside COM1 to COM10 has its line too, "out of range", and so has each bad choice of
// QUORVEL_COMn and ports.conf; empty when there is none.
std::string DescribePortMap(const std::array<SPortTarget, kLastPort + 1>& targets);
// "COM1 (/dev/ttyS0, on-board serial port, refused: the system console), COM3 (...)", or empty.
std::string ListPortMap(const std::array<SPortTarget, kLastPort + 1>& targets);

}  // namespace tobrel
