// Phrases that the serial library, the SDK and the terminal say alike, each once. A phrase
// that starts lower case follows a colon; Sentence makes it one on its own.
#pragma once

#include <string>
#include <string_view>

// What to do about a missing or wrong setting, in the terminal's own words.
inline constexpr char kChoosePort[] = "choose a COM port from the list or type one, COM1 to COM10";
inline constexpr char kChooseBaud[] = "choose a baud rate from the list or type one in bits per second";
inline constexpr char kChooseDataBits[] = "choose data bits from the list or type 5, 6, 7 or 8";
inline constexpr char kChooseParity[] = "choose a parity from the list: none, odd, even or space";
inline constexpr char kChooseStopBits[] = "choose stop bits from the list: 1, 1.5 or 2";
inline constexpr char kSlotRange[] = "slots are 1 to 8";

// What to do after a failure.
inline constexpr char kSettingsAdvice[] = "Pick settings that the adapter supports.";
inline constexpr char kFlowAdvice[] = "Check the cable and the other side's flow control.";
inline constexpr char kReplugAdvice[] = "Plug it in and press Open Com.";
inline constexpr char kOpenFirst[] = "Open it first.";
inline constexpr char kReadMoreOften[] = "Read the port more often.";
inline constexpr char kInUseAdvice[] = "Close that program or choose another port.";
inline constexpr char kUdevAdvice[] =
    "An administrator grants access with a udev rule setting GROUP=\"dialout\", MODE=\"0660\" for it.";

// strPhrase with its first letter in upper case, as the screen shows a phrase on its own:
// "Choose a COM port from the list or type one, COM1 to COM10".
std::u16string Sentence(std::string_view strPhrase);
