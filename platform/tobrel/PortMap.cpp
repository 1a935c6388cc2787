#include "PortMap.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <numeric>
#include <string_view>
#include <vector>

#include "DeviceCheck.h"
#include "NetworkTarget.h"
#include "PortChoices.h"
#include "PortMemory.h"
#include "SystemRoot.h"
#include "SystemText.h"

namespace tobrel {

namespace fs = std::filesystem;

namespace {

using CTargets = std::array<SPortTarget, kLastPort + 1>;

// The same device file, however it is reached.
bool SameFile(const std::string& strA, const std::string& strB) {
  std::error_code error;
  return fs::equivalent(strA, strB, error);
}

SPortTarget DeviceTarget(const SSerialDevice& device) {
  return {ShownDevice(device.strName), SystemPath(ShownDevice(device.strName)), false, device, {}, {}};
}

// The entries of the ports that stand behind something, in COM order, joined by separator.
template <typename FEntry>
std::string JoinShownPorts(const CTargets& targets, std::string_view separator, FEntry entry) {
  std::string strText;
  for (uint8_t nPort = kFirstPort; nPort <= kLastPort; ++nPort) {
    const SPortTarget& target = targets[nPort];
    if (target.strShown.empty()) continue;
    if (!strText.empty()) strText += separator;
    strText += entry(nPort, target);
  }
  return strText;
}

// A line of the port map, with its COM number as written ("011") in a form that orders
// numbers of any length.
struct SMapLine {
  std::pair<size_t, std::string> order;
  std::string strText;
};

std::pair<size_t, std::string> NumberOrder(std::string_view digits) {
  const size_t nStart = std::min(digits.find_first_not_of('0'), digits.size());
  return {digits.size() - nStart, std::string(digits.substr(nStart))};
}

// The QUORVEL_COMn whose n the dialog does not offer (QUORVEL_COM0, QUORVEL_COM11), which no
// port reads.
std::vector<SMapLine> OutOfRangeLines() {
  const std::string strPrefix = "QUORVEL_COM";
  std::vector<SMapLine> vecLines;
  for (char** ppEntry = environ; *ppEntry != nullptr; ++ppEntry) {
    const std::string_view entry(*ppEntry);
    const size_t nEquals = entry.find('=');
    if (nEquals == std::string_view::npos || entry.substr(0, strPrefix.size()) != strPrefix) continue;
    const std::string_view digits = entry.substr(strPrefix.size(), nEquals - strPrefix.size());
    const std::string_view value = entry.substr(nEquals + 1);
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos || value.empty()) continue;
    bool bRead = false;
    for (uint8_t nPort = kFirstPort; nPort <= kLastPort; ++nPort) bRead = bRead || digits == std::to_string(nPort);
    if (bRead) continue;
    const std::string strName = "COM" + std::string(digits);
    vecLines.push_back({NumberOrder(digits), strName + ": " + std::string(value) + " (QUORVEL_" + strName +
                                                 "): out of range: the dialog offers COM" + std::to_string(kFirstPort) +
                                                 " to COM" + std::to_string(kLastPort)});
  }
  return vecLines;
}

}  // namespace

CTargets MapPorts() {
  const std::vector<SSerialDevice> vecDevices = ListSerialDevices();
  CTargets targets;
  std::vector<bool> vecTaken(vecDevices.size());

  const SPortChoices choices = ReadPortChoices();
  TellProblemsOnce(choices);
  for (uint8_t nPort = kFirstPort; nPort <= kLastPort; ++nPort) {
    if (!choices.aChoices[nPort]) continue;
    const SPortChoice& choice = *choices.aChoices[nPort];
    SPortTarget& target = targets[nPort];
    target = {choice.strTarget, choice.strTarget, true, {}, choice.options, choice.strOrigin};
    for (size_t i = 0; i < vecDevices.size(); ++i) {
      if (SameFile(choice.strTarget, DeviceTarget(vecDevices[i]).strPath)) {
        target.device = vecDevices[i];
        vecTaken[i] = true;
      }
    }
  }

  for (size_t i = 0; i < vecDevices.size(); ++i) {
    const SSerialDevice& device = vecDevices[i];
    if (vecTaken[i] || !device.bOnBoard || device.nOnBoardIndex >= kLastPort) continue;
    vecTaken[i] = true;
    SPortTarget& target = targets[device.nOnBoardIndex + 1];
    if (target.strShown.empty()) target = DeviceTarget(device);
  }

  // First each device whose number is remembered and free, then the others. A device whose
  // number a variable or a UART holds now borrows another and keeps its own for later.
  // Where two present devices remember one number, the one seen more recently has it.
  CPortMemory memory;
  std::vector<size_t> vecOrder(vecDevices.size());
  std::iota(vecOrder.begin(), vecOrder.end(), 0);
  std::stable_sort(vecOrder.begin(), vecOrder.end(), [&](size_t a, size_t b) {
    return memory.SeenOrder(vecDevices[a].strIdentity) > memory.SeenOrder(vecDevices[b].strIdentity);
  });
  for (int nPass = 0; nPass < 2; ++nPass) {
    for (size_t i : vecOrder) {
      if (vecTaken[i]) continue;
      const SSerialDevice& device = vecDevices[i];
      const uint8_t nRemembered = memory.NumberOf(device.strIdentity);
      uint8_t nPort = nRemembered != 0 && targets[nRemembered].strShown.empty() ? nRemembered : 0;
      if (nPort == 0 && nPass == 1) {
        std::vector<uint8_t> vecFree;
        for (uint8_t n = kFirstPort; n <= kLastPort; ++n) {
          if (targets[n].strShown.empty()) vecFree.push_back(n);
        }
        nPort = memory.BestFree(vecFree);
      }
      if (nPort == 0) continue;
      vecTaken[i] = true;
      targets[nPort] = DeviceTarget(device);
      if (nRemembered == 0 || nRemembered == nPort) memory.Remember(nPort, device.strIdentity);
    }
  }
  memory.Save();
  return targets;
}

std::string DescribeTarget(const SPortTarget& target) {
  const std::string strDevice = DescribeDevice(target.device);
  const std::string strOptions = DescribeOptions(target.options);
  return target.strShown + (strDevice.empty() ? "" : ", " + strDevice) + (strOptions.empty() ? "" : ", " + strOptions);
}

bool IsConfirmedSerial(uint8_t nPort, const SPortTarget& target) {
  const char* pszConfirmed = std::getenv((PortVariable(nPort) + "_IS_SERIAL").c_str());
  return target.bFromVariable && pszConfirmed != nullptr && std::string_view(pszConfirmed) == "yes";
}

std::string TargetProblem(uint8_t nPort, const SPortTarget& target) {
  if (IsNetworkTarget(target.strShown)) {
    SNetworkTarget network;
    std::string strProblem;
    return ParseNetworkTarget(target.strShown, network, strProblem) ? "" : "not a network port: " + strProblem;
  }
  const SDeviceCheck check = CheckDevice(target.strPath, IsConfirmedSerial(nPort, target));
  if (check.nError == ENOTTY) return "not a serial port";
  if (check.nError == ENAMETOOLONG) return "path too long";
  if (check.nError != 0) return "does not exist";
  return check.pszRefusal != nullptr ? std::string("refused: ") + check.pszRefusal : "";
}

std::string DescribePortMap(const CTargets& targets) {
  auto vecLines = OutOfRangeLines();
  for (uint8_t nPort = kFirstPort; nPort <= kLastPort; ++nPort) {
    const SPortTarget& target = targets[nPort];
    if (target.strShown.empty()) continue;
    std::string strLine = PortName(nPort) + ": " + DescribeTarget(target);
    if (target.bFromVariable) strLine += " (" + target.strOrigin + ")";
    if (!target.device.strById.empty()) strLine += " (by-id " + target.device.strById + ")";
    if (const std::string strProblem = TargetProblem(nPort, target); !strProblem.empty()) strLine += ": " + strProblem;
    vecLines.push_back({NumberOrder(std::to_string(nPort)), strLine});
  }
  std::stable_sort(vecLines.begin(), vecLines.end(),
                   [](const SMapLine& a, const SMapLine& b) { return a.order < b.order; });
  for (const std::string& strProblem : ReadPortChoices().vecProblems) vecLines.push_back({{}, strProblem});
  std::string strText;
  for (const SMapLine& line : vecLines) strText += (strText.empty() ? "" : "\n") + ShowControls(line.strText);
  return strText;
}

std::string ListPortMap(const CTargets& targets) {
  return JoinShownPorts(targets, ", ", [](uint8_t nPort, const SPortTarget& target) {
    std::string strEntry = PortName(nPort) + " (" + DescribeTarget(target);
    if (const std::string strProblem = TargetProblem(nPort, target); !strProblem.empty()) strEntry += ", " + strProblem;
    return strEntry + ")";
  });
}

}  // namespace tobrel
