#include "Messages.h"

#include <cstdio>
#include <cstring>

#include "PortMap.h"
#include "Tobrel.h"
#include "TobrelResults.h"

namespace {

// The latest call of this thread: the code it answered and what it said about it.
struct SLastCall {
  uint32_t nCode = TOBREL_OK;
  std::string strDetail;
};
thread_local SLastCall t_lastCall;

// "What: advice."
std::string Sentence(const char* pszWhat, const char* pszAdvice) {
  return std::string(pszWhat) + ": " + pszAdvice + ".";
}

}  // namespace

std::string GenericText(uint32_t nCode) {
  switch (nCode) {
    case TOBREL_OK:
      return "OK";
    case TOBREL_ERR_PORT_NUMBER:
      return Sentence("There is no such port", kChoosePort);
    case TOBREL_ERR_NOT_OPEN:
      return "The port is not open. Open it first.";
    case TOBREL_ERR_IN_USE:
      return "The port is in use by another program. Close that program or choose another port.";
    case TOBREL_ERR_NO_DEVICE:
      return "The port has no device. Plug one in and open again, or set QUORVEL_COMn to its device.";
    case TOBREL_ERR_NO_HARDWARE:
      return "The port's device has no serial hardware behind it. Set QUORVEL_COMn to the device "
             "of your adapter, for example /dev/ttyUSB0.";
    case TOBREL_ERR_PERMISSION:
      return "Permission denied for the port's device.";
    case TOBREL_ERR_CONSOLE:
      return "The port's device is a console or the program's own terminal, which a test terminal must not take "
             "over. Set QUORVEL_COMn to another device.";
    case TOBREL_ERR_NOT_A_TTY:
      return "The port's device is not a serial port. Set QUORVEL_COMn to the device of your adapter.";
    case TOBREL_ERR_BAUD:
      return Sentence("No baud rate chosen", kChooseBaud);
    case TOBREL_ERR_DATA_BITS:
      return Sentence("No valid data bits chosen", kChooseDataBits);
    case TOBREL_ERR_PARITY:
      return Sentence("No parity chosen", kChooseParity);
    case TOBREL_ERR_STOP_BITS:
      return Sentence("No stop bits chosen", kChooseStopBits);
    case TOBREL_ERR_STOP_BITS_UNSUPPORTED:
      return "1.5 stop bits are not supported with 6, 7 or 8 data bits: they need 5 data bits. "
             "Pick 1 or 2 stop bits.";
    case TOBREL_ERR_TWO_STOP_FIVE_DATA:
      return "2 stop bits are not supported with 5 data bits, which use 1.5. Pick 1 or 1.5 stop bits.";
    case TOBREL_ERR_SETTINGS_REFUSED:
      return std::string("The device did not take the settings. ") + kSettingsAdvice;
    case TOBREL_ERR_SEND_STALLED:
      return std::string("Queued bytes wait to go out: the device takes no data. ") + kFlowAdvice;
    case TOBREL_ERR_SEND_QUEUE_FULL:
      return "The output queue is full and the block was not sent. Send less, or less often.";
    case TOBREL_ERR_SEND_DROPPED:
      return "The port is closed; queued bytes that could not go out were dropped.";
    case TOBREL_ERR_DISCONNECTED:
      return std::string("The port's device has disconnected. ") + kReplugAdvice;
    case TOBREL_ERR_SEND_FAILED:
      return "Sending failed.";
    case TOBREL_ERR_NO_BUFFER:
      return "No buffer was given for the data.";
    case TOBREL_ERR_RECEIVE_TIMEOUT:
      return "Fewer bytes than asked for arrived in time; those that did stay buffered.";
    case TOBREL_ERR_OVERFLOW:
      return std::string("The receive buffer filled up and bytes were lost. ") + kReadMoreOften;
    case TOBREL_ERR_REPLY_TIMEOUT:
      return "No complete reply (ending with CR) arrived in time.";
    case TOBREL_ERR_REPLY_TRUNCATED:
      return "The reply was longer than 99 characters and was cut.";
    case TOBREL_ERR_CHECKSUM:
      return "The reply's checksum is missing or wrong.";
    case TOBREL_ERR_CAPTURE:
      return "The capture file cannot be written.";
    case TOBREL_ERR_OPEN_COM:
      return "The port could not be opened.";
    default: {
      char szUnknown[64];
      std::snprintf(szUnknown, sizeof szUnknown, "Unknown result 0x%X (%u)", nCode, nCode);
      return szUnknown;
    }
  }
}

uint32_t Report(uint32_t nCode, std::string strMessage) {
  t_lastCall = {nCode, std::move(strMessage)};
  return nCode;
}

std::string MessageText(uint32_t nCode) {
  if (nCode == t_lastCall.nCode && !t_lastCall.strDetail.empty()) return t_lastCall.strDetail;
  return GenericText(nCode);
}

std::string PortPrefix(uint8_t nPort) { return PortName(nPort) + ": "; }

extern "C" const char16_t* GetSerialErrorMessage(uint32_t result) {
  thread_local std::u16string t_strMessage;
  t_strMessage = WidenUtf8(MessageText(result));
  return t_strMessage.c_str();
}
