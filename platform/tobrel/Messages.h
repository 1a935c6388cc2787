// Messages for the result codes. Each thread keeps the detail of its latest call beside the
// code that call answered (0 included, so the message for 0 says what just succeeded); a
// code asked for otherwise gets its generic text. The phrases that both kinds share are
// here, each once.
#pragma once

#include <cstdint>
#include <string>

#include "SystemText.h"

namespace tobrel {

// What to do about a missing or wrong setting, in the terminal's own words.
inline constexpr char kChoosePort[] = "choose a COM port from the list or type one, COM1 to COM10";
inline constexpr char kChooseBaud[] = "choose a baud rate from the list or type one in bits per second";
inline constexpr char kChooseDataBits[] = "choose data bits from the list or type 5, 6, 7 or 8";
inline constexpr char kChooseParity[] = "choose a parity from the list: none, odd, even or space";
inline constexpr char kChooseStopBits[] = "choose stop bits from the list: 1, 1.5 or 2";
inline constexpr char kSettingsAdvice[] = "Pick settings that the adapter supports.";
inline constexpr char kFlowAdvice[] = "Check the cable and the other side's flow control.";
inline constexpr char kReplugAdvice[] = "Plug it in and press Open Com.";
inline constexpr char kReadMoreOften[] = "Read the port more often.";
inline constexpr char kUdevAdvice[] =
    "An administrator grants access with a udev rule setting GROUP=\"dialout\", MODE=\"0660\" for it.";

// Keeps strMessage as this thread's detail of nCode and answers nCode, so a call ends with
// "return Report(TOBREL_..., ...)".
uint32_t Report(uint32_t nCode, std::string strMessage);

// The text of nCode that names no port or device.
std::string GenericText(uint32_t nCode);

// UTF-8 text for nCode: this thread's latest detail when it answered nCode, else generic.
std::string MessageText(uint32_t nCode);

// "COM3: " for messages about a port.
std::string PortPrefix(uint8_t nPort);

}  // namespace tobrel
