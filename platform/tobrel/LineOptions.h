// What a device needs beyond the dialog's settings, written after a port's target:
// "/dev/ttyUSB0,flow=rtscts,dtr=off". flow=none|rtscts|xonxoff, dtr=on|off and rts=on|off (the
// lines right after the open), hangup=on|off (whether closing drops DTR). An option not given
// leaves the line as the open finds it.
#pragma once

#include <termios.h>

#include <optional>
#include <string>
#include <string_view>

namespace tobrel {

enum class EFlow { None, RtsCts, XonXoff };

struct SLineOptions {
  std::optional<EFlow> flow;
  std::optional<bool> bDtr;
  std::optional<bool> bRts;
  std::optional<bool> bHangup;
};

// Splits "TARGET,name=value,..." into the target and its options; false and what is wrong
// ("unknown option speed=9600: the options are flow, dtr, rts and hangup").
bool ParseTargetOptions(std::string_view text, std::string& strTarget, SLineOptions& options, std::string& strProblem);

// "flow=rtscts, dtr=off"; empty when none is given.
std::string DescribeOptions(const SLineOptions& options);

// The termios part of the options: flow control and hang-up on close.
void ApplyOptions(const SLineOptions& options, termios& tio);
// Empty when the device kept the termios part, else what it changed ("flow=rtscts did not hold").
std::string DescribeOptionsMismatch(const SLineOptions& options, const termios& tioRead);

}  // namespace tobrel
