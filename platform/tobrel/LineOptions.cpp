#include "LineOptions.h"

#include <array>
#include <utility>

namespace tobrel {

namespace {

constexpr std::array<std::pair<EFlow, std::string_view>, 3> kFlowNames{
    {{EFlow::None, "none"}, {EFlow::RtsCts, "rtscts"}, {EFlow::XonXoff, "xonxoff"}}};

std::string_view FlowName(EFlow flow) {
  for (const auto& [value, name] : kFlowNames)
    if (value == flow) return name;
  return "none";
}

bool ParseSwitch(std::string_view value, std::optional<bool>& bOption) {
  if (value != "on" && value != "off") return false;
  bOption = value == "on";
  return true;
}

bool ParseOption(std::string_view option, SLineOptions& options, std::string& strProblem) {
  const size_t nEquals = option.find('=');
  const std::string_view name = option.substr(0, nEquals);
  const std::string_view value = nEquals == std::string_view::npos ? std::string_view() : option.substr(nEquals + 1);
  if (name == "flow") {
    for (const auto& [flow, flowName] : kFlowNames) {
      if (value == flowName) {
        options.flow = flow;
        return true;
      }
    }
    strProblem = "flow=" + std::string(value) + " is not a flow control: write flow=none, flow=rtscts or flow=xonxoff";
    return false;
  }
  std::optional<bool>* pSwitch = name == "dtr"      ? &options.bDtr
                                 : name == "rts"    ? &options.bRts
                                 : name == "hangup" ? &options.bHangup
                                                    : nullptr;
  if (pSwitch == nullptr) {
    strProblem = "unknown option " + std::string(option) + ": the options are flow, dtr, rts and hangup";
    return false;
  }
  if (ParseSwitch(value, *pSwitch)) return true;
  strProblem = std::string(option) + " is neither on nor off: write " + std::string(name) + "=on or " +
               std::string(name) + "=off";
  return false;
}

}  // namespace

bool ParseTargetOptions(std::string_view text, std::string& strTarget, SLineOptions& options, std::string& strProblem) {
  options = {};
  const size_t nComma = text.find(',');
  strTarget = text.substr(0, nComma);
  if (strTarget.empty()) {
    strProblem = "no target before the options";
    return false;
  }
  if (nComma == std::string_view::npos) return true;
  std::string_view rest = text.substr(nComma + 1);
  for (;;) {
    const size_t nNext = rest.find(',');
    std::string_view option = rest.substr(0, nNext);
    while (!option.empty() && option.front() == ' ') option.remove_prefix(1);
    while (!option.empty() && option.back() == ' ') option.remove_suffix(1);
    if (!ParseOption(option, options, strProblem)) return false;
    if (nNext == std::string_view::npos) return true;
    rest.remove_prefix(nNext + 1);
  }
}

std::string DescribeOptions(const SLineOptions& options) {
  std::string strText;
  const auto add = [&](const std::string& strOption) { strText += (strText.empty() ? "" : ", ") + strOption; };
  const auto onOff = [](bool bOn) { return bOn ? "on" : "off"; };
  if (options.flow) add("flow=" + std::string(FlowName(*options.flow)));
  if (options.bDtr) add(std::string("dtr=") + onOff(*options.bDtr));
  if (options.bRts) add(std::string("rts=") + onOff(*options.bRts));
  if (options.bHangup) add(std::string("hangup=") + onOff(*options.bHangup));
  return strText;
}

void ApplyOptions(const SLineOptions& options, termios& tio) {
  if (options.flow) {
    tio.c_cflag &= ~CRTSCTS;
    tio.c_iflag &= ~(IXON | IXOFF);
    if (*options.flow == EFlow::RtsCts) tio.c_cflag |= CRTSCTS;
    if (*options.flow == EFlow::XonXoff) tio.c_iflag |= IXON | IXOFF;
  }
  if (options.bHangup) tio.c_cflag = *options.bHangup ? (tio.c_cflag | HUPCL) : (tio.c_cflag & ~HUPCL);
}

std::string DescribeOptionsMismatch(const SLineOptions& options, const termios& tioRead) {
  termios tioWanted = tioRead;
  ApplyOptions(options, tioWanted);
  const tcflag_t nIflagBits = IXON | IXOFF;
  std::string strText;
  if ((tioWanted.c_cflag & CRTSCTS) != (tioRead.c_cflag & CRTSCTS) ||
      (tioWanted.c_iflag & nIflagBits) != (tioRead.c_iflag & nIflagBits))
    strText = "flow=" + std::string(FlowName(*options.flow)) + " did not hold";
  if ((tioWanted.c_cflag & HUPCL) != (tioRead.c_cflag & HUPCL))
    strText +=
        std::string(strText.empty() ? "" : ", ") + "hangup=" + (*options.bHangup ? "on" : "off") + " did not hold";
  return strText;
}

}  // namespace tobrel
