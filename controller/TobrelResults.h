// Result codes of the serial library (Tobrel.h). 0 is success; every failure has its own
// code, all below 0x10000 so that Receive_Binary's 16-bit result carries them unchanged.
#pragma once

#include <cstdint>

#include "Tobrel.h"

enum ETobrelResult : uint32_t {
  TOBREL_OK = 0,

  // Port number and device
  TOBREL_ERR_PORT_NUMBER = 0xFF01,  // port 0 or over 10
  TOBREL_ERR_NOT_OPEN = 0xFF02,     // call for a port that is not open
  TOBREL_ERR_IN_USE = 0xFF03,       // another program holds the port's lock
  TOBREL_ERR_NO_DEVICE = 0xFF04,    // the mapped device does not exist
  TOBREL_ERR_NO_HARDWARE = 0xFF05,  // the device node exists, no hardware behind it
  TOBREL_ERR_PERMISSION = 0xFF06,   // not allowed to open the device
  TOBREL_ERR_CONSOLE = 0xFF07,      // the device is the active kernel console
  TOBREL_ERR_NOT_A_TTY = 0xFF08,    // the device is not a serial port

  // Line settings
  TOBREL_ERR_BAUD = 0xFF10,                   // baud rate 0
  TOBREL_ERR_DATA_BITS = 0xFF11,              // data bits not 5 to 8
  TOBREL_ERR_PARITY = 0xFF12,                 // parity not 0 to 3
  TOBREL_ERR_STOP_BITS = 0xFF13,              // stop bits not 0 to 2
  TOBREL_ERR_STOP_BITS_UNSUPPORTED = 0xFF14,  // 1.5 stop bits with 6 to 8 data bits
  TOBREL_ERR_TWO_STOP_FIVE_DATA = 0xFF15,     // 2 stop bits with 5 data bits
  TOBREL_ERR_SETTINGS_REFUSED = 0xFF16,       // the device refused or silently changed a setting

  // Sending
  TOBREL_ERR_SEND_STALLED = kResultSendStalled,   // queued bytes have waited too long: the device takes none
  TOBREL_ERR_SEND_QUEUE_FULL = 0xFF21,            // the block does not fit in the output queue
  TOBREL_ERR_DISCONNECTED = kResultDisconnected,  // the device went away
  TOBREL_ERR_SEND_FAILED = 0xFF23,                // any other write error
  TOBREL_ERR_NO_BUFFER = 0xFF24,                  // null data or reply pointer
  TOBREL_ERR_SEND_DROPPED = 0xFF25,               // closed with queued bytes that could not go out

  // Receiving
  TOBREL_ERR_RECEIVE_TIMEOUT = 0xFF30,       // fewer bytes than asked for within the timeout
  TOBREL_ERR_OVERFLOW = kResultReceiveLost,  // the receive buffer filled and bytes were lost
  TOBREL_ERR_REPLY_TIMEOUT = 0xFF32,         // no CR-terminated reply within the timeout
  TOBREL_ERR_REPLY_TRUNCATED = 0xFF33,       // reply longer than 99 characters, cut
  TOBREL_ERR_CHECKSUM = 0xFF34,              // reply checksum missing or wrong

  // Capture file
  TOBREL_ERR_CAPTURE = kResultCaptureFailed,  // the capture file cannot be opened or written

  TOBREL_ERR_OPEN_COM = kResultOpenComError,  // the device could not be opened, for another reason
};
