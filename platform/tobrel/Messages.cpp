#include "Messages.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "PortNumber.h"
#include "SystemText.h"
#include "Tobrel.h"
#include "TobrelResults.h"

namespace tobrel {

namespace {

thread_local CLastMessage t_lastMessage;

// The generic text of each code: what happened, then what to do about it when that is one
// of the shared phrases.
struct SGenericText {
  uint32_t nCode;
  const char* pszWhat;
  const char* pszAdvice;
};

constexpr SGenericText kGenericTexts[] = {
    {TOBREL_OK, "OK", nullptr},
    {TOBREL_ERR_PORT_NUMBER, "There is no such port:", kChoosePort},
    {TOBREL_ERR_NOT_OPEN, "The port is not open.", kOpenFirst},
    {TOBREL_ERR_IN_USE, "The port is in use by another program.", kInUseAdvice},
    {TOBREL_ERR_NO_DEVICE, "The port has no device. Plug one in and open again, or set QUORVEL_COMn to its device.",
     nullptr},
    {TOBREL_ERR_NO_HARDWARE,
     "The port's device has no serial hardware behind it. Set QUORVEL_COMn to the device of your adapter, for "
     "example /dev/ttyUSB0.",
     nullptr},
    {TOBREL_ERR_PERMISSION, "Permission denied for the port's device.", nullptr},
    {TOBREL_ERR_CONSOLE,
     "The port's device is a console or the program's own terminal, which a test terminal must not take over. Set "
     "QUORVEL_COMn to another device.",
     nullptr},
    {TOBREL_ERR_NOT_A_TTY, "The port's device is not a serial port. Set QUORVEL_COMn to the device of your adapter.",
     nullptr},
    {TOBREL_ERR_BAUD, "No baud rate chosen:", kChooseBaud},
    {TOBREL_ERR_DATA_BITS, "No valid data bits chosen:", kChooseDataBits},
    {TOBREL_ERR_PARITY, "No parity chosen:", kChooseParity},
    {TOBREL_ERR_STOP_BITS, "No stop bits chosen:", kChooseStopBits},
    {TOBREL_ERR_STOP_BITS_UNSUPPORTED,
     "1.5 stop bits are not supported with 6, 7 or 8 data bits: they need 5 data bits. Pick 1 or 2 stop bits.",
     nullptr},
    {TOBREL_ERR_TWO_STOP_FIVE_DATA,
     "2 stop bits are not supported with 5 data bits, which use 1.5. Pick 1 or 1.5 stop bits.", nullptr},
    {TOBREL_ERR_SETTINGS_REFUSED, "The device did not take the settings.", kSettingsAdvice},
    {TOBREL_ERR_SEND_STALLED, "Queued bytes wait to go out: the device takes no data.", kFlowAdvice},
    {TOBREL_ERR_SEND_QUEUE_FULL, "The output queue is full and the block was not sent. Send less, or less often.",
     nullptr},
    {TOBREL_ERR_SEND_DROPPED, "The port is closed; queued bytes that could not go out were dropped.", nullptr},
    {TOBREL_ERR_DISCONNECTED, "The port's device has disconnected.", kReplugAdvice},
    {TOBREL_ERR_SEND_FAILED, "Sending failed.", nullptr},
    {TOBREL_ERR_NO_BUFFER, "No buffer was given for the data.", nullptr},
    {TOBREL_ERR_RECEIVE_TIMEOUT, "Fewer bytes than asked for arrived in time; those that did stay buffered.", nullptr},
    {TOBREL_ERR_OVERFLOW, "The receive buffer filled up and bytes were lost.", kReadMoreOften},
    {TOBREL_ERR_REPLY_TIMEOUT, "No complete reply (ending with CR) arrived in time.", nullptr},
    {TOBREL_ERR_REPLY_TRUNCATED, "The reply was longer than 99 characters and was cut.", nullptr},
    {TOBREL_ERR_CHECKSUM, "The reply's checksum is missing or wrong.", nullptr},
    {TOBREL_ERR_CAPTURE, "The capture file cannot be written.", nullptr},
    {TOBREL_ERR_OPEN_COM, "The port could not be opened.", nullptr},
};

}  // namespace

std::string GenericText(uint32_t nCode) {
  const auto it = std::find_if(std::begin(kGenericTexts), std::end(kGenericTexts),
                               [&](const SGenericText& text) { return text.nCode == nCode; });
  if (it == std::end(kGenericTexts)) {
    char szUnknown[64];
    std::snprintf(szUnknown, sizeof szUnknown, "Unknown result 0x%X (%u)", nCode, nCode);
    return szUnknown;
  }
  std::string strText = it->pszWhat;
  if (it->pszAdvice == nullptr) return strText;
  // "What: advice." or "What. Advice."
  strText += std::string(" ") + it->pszAdvice;
  if (!strText.ends_with('.')) strText += '.';
  return strText;
}

uint32_t Report(uint32_t nCode, std::string strMessage) { return t_lastMessage.Report(nCode, std::move(strMessage)); }

CLastMessage& LastMessage() { return t_lastMessage; }

std::string MessageText(uint32_t nCode) {
  // A close that dropped queued bytes still closed the port. A caller shows the text of its
  // last open or send after it, whatever that answered: that text tells the drop.
  if (t_lastMessage.Code() == TOBREL_ERR_SEND_DROPPED) return t_lastMessage.Detail();
  if (const std::string* pDetail = t_lastMessage.DetailOf(nCode)) return *pDetail;
  return GenericText(nCode);
}

std::string PortPrefix(uint8_t nPort) { return PortName(nPort) + ": "; }

}  // namespace tobrel

using namespace tobrel;

extern "C" const char16_t* GetSerialErrorMessage(uint32_t result) {
  return LastMessage().Show(ShowControls(MessageText(result)));
}
