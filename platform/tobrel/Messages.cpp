#include "Messages.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>

#include "PortMap.h"
#include "Tobrel.h"
#include "TobrelResults.h"

namespace {

std::mutex g_mtxDetails;
std::map<uint32_t, std::string> g_mapDetails;

const char* GenericText(uint32_t nCode) {
  switch (nCode) {
    case TOBREL_OK:
      return "OK";
    case TOBREL_ERR_PORT_NUMBER:
      return "There is no such port: choose COM1 to COM10.";
    case TOBREL_ERR_NOT_OPEN:
      return "The port is not open. Open it first.";
    case TOBREL_ERR_IN_USE:
      return "The port is in use by another program. Close that program or choose another port.";
    case TOBREL_ERR_NO_DEVICE:
      return "The port's device does not exist. Set QUORVEL_COMn to the device of your adapter, "
             "for example /dev/ttyUSB0.";
    case TOBREL_ERR_NO_HARDWARE:
      return "The port's device has no serial hardware behind it. Set QUORVEL_COMn to the device "
             "of your adapter, for example /dev/ttyUSB0.";
    case TOBREL_ERR_PERMISSION:
      return "Permission denied for the port's device. Join the group that owns it (dialout), "
             "then log in again.";
    case TOBREL_ERR_CONSOLE:
      return "The port's device is the system console, which a test terminal must not take over. "
             "Set QUORVEL_COMn to another device.";
    case TOBREL_ERR_NOT_A_TTY:
      return "The port's device is not a serial port. Set QUORVEL_COMn to the device of your adapter.";
    case TOBREL_ERR_BAUD:
      return "No baud rate chosen: pick one of 2400 to 921600.";
    case TOBREL_ERR_DATA_BITS:
      return "No valid data bits chosen: pick one of 5, 6, 7 or 8.";
    case TOBREL_ERR_PARITY:
      return "No parity chosen: pick one of none, odd, even or space.";
    case TOBREL_ERR_STOP_BITS:
      return "No stop bits chosen: pick one of 1, 1.5 or 2.";
    case TOBREL_ERR_STOP_BITS_UNSUPPORTED:
      return "1.5 stop bits are not supported with 6, 7 or 8 data bits: they need 5 data bits. "
             "Pick 1 or 2 stop bits.";
    case TOBREL_ERR_TWO_STOP_FIVE_DATA:
      return "2 stop bits are not supported with 5 data bits, which use 1.5. Pick 1 or 1.5 stop bits.";
    case TOBREL_ERR_SETTINGS_REFUSED:
      return "The device did not take the settings. Pick settings that the adapter supports.";
    case TOBREL_ERR_SEND_TIMEOUT:
      return "Nothing could be sent in time: the device takes no data. Check the cable and the "
             "other side's flow control.";
    case TOBREL_ERR_PARTIAL_WRITE:
      return "Only part of the data could be sent in time. Check the cable and the other side's "
             "flow control.";
    case TOBREL_ERR_DISCONNECTED:
      return "The port's device has disconnected. Plug it in again, then open the port again.";
    case TOBREL_ERR_SEND_FAILED:
      return "Sending failed.";
    case TOBREL_ERR_NO_BUFFER:
      return "No buffer was given for the data.";
    case TOBREL_ERR_RECEIVE_TIMEOUT:
      return "Fewer bytes than asked for arrived in time; those that did stay buffered.";
    case TOBREL_ERR_OVERFLOW:
      return "The receive buffer filled up and bytes were lost. Read the port more often.";
    case TOBREL_ERR_REPLY_TIMEOUT:
      return "No complete reply (ending with CR) arrived in time.";
    case TOBREL_ERR_REPLY_TRUNCATED:
      return "The reply was longer than 99 characters and was cut.";
    case TOBREL_ERR_CHECKSUM:
      return "The reply's checksum is missing or wrong.";
    case TOBREL_ERR_OPEN_COM:
      return "The port could not be opened.";
    default:
      return nullptr;
  }
}

}  // namespace

uint32_t Report(uint32_t nCode, std::string strMessage) {
  std::lock_guard lock(g_mtxDetails);
  g_mapDetails[nCode] = std::move(strMessage);
  return nCode;
}

std::string MessageText(uint32_t nCode) {
  {
    std::lock_guard lock(g_mtxDetails);
    auto it = g_mapDetails.find(nCode);
    if (it != g_mapDetails.end()) return it->second;
  }
  if (const char* pszGeneric = GenericText(nCode)) return pszGeneric;
  char szUnknown[64];
  std::snprintf(szUnknown, sizeof szUnknown, "Unknown result 0x%X (%u)", nCode, nCode);
  return szUnknown;
}

std::string PortPrefix(uint8_t nPort) { return PortName(nPort) + ": "; }

extern "C" const char16_t* GetSerialErrorMessage(uint32_t result) {
  thread_local std::u16string t_strMessage;
  t_strMessage = WidenUtf8(MessageText(result));
  return t_strMessage.c_str();
}
