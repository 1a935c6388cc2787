#include "PortMap.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <numeric>
#include <string_view>
#include <vector>

#include "Console.h"
#include "PortMemory.h"
#include "SystemRoot.h"

namespace fs = std::filesystem;

namespace {

using CTargets = std::array<SPortTarget, kLastPort + 1>;

// The same device file, however it is reached.
bool SameFile(const std::string& strA, const std::string& strB) {
  std::error_code error;
  return fs::equivalent(strA, strB, error);
}

SPortTarget DeviceTarget(const SSerialDevice& device) {
  return {ShownDevice(device.strName), SystemPath(ShownDevice(device.strName)), false, device};
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

}  // namespace

bool IsValidPort(uint8_t nPort) { return nPort >= kFirstPort && nPort <= kLastPort; }

std::string PortName(uint8_t nPort) { return "COM" + std::to_string(nPort); }

std::string PortVariable(uint8_t nPort) { return "QUORVEL_" + PortName(nPort); }

CTargets MapPorts() {
  const std::vector<SSerialDevice> vecDevices = ListSerialDevices();
  CTargets targets;
  std::vector<bool> vecTaken(vecDevices.size());

  for (uint8_t nPort = kFirstPort; nPort <= kLastPort; ++nPort) {
    const char* pszMapped = std::getenv(PortVariable(nPort).c_str());
    if (pszMapped == nullptr || *pszMapped == '\0') continue;
    SPortTarget& target = targets[nPort];
    target = {pszMapped, pszMapped, true, {}};
    for (size_t i = 0; i < vecDevices.size(); ++i) {
      if (SameFile(pszMapped, DeviceTarget(vecDevices[i]).strPath)) {
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
  return strDevice.empty() ? target.strShown : target.strShown + ", " + strDevice;
}

std::string TargetProblem(const SPortTarget& target) {
  struct stat st {};
  if (stat(target.strPath.c_str(), &st) != 0) return "does not exist";
  if (!S_ISCHR(st.st_mode)) return "not a serial port";
  const char* pszRefusal = TerminalRefusal(st.st_rdev);
  return pszRefusal != nullptr ? std::string("refused: ") + pszRefusal : "";
}

std::string DescribePortMap(const CTargets& targets) {
  return JoinShownPorts(targets, "\n", [](uint8_t nPort, const SPortTarget& target) {
    std::string strLine = PortName(nPort) + ": " + DescribeTarget(target);
    if (target.bFromVariable) strLine += " (" + PortVariable(nPort) + ")";
    if (!target.device.strById.empty()) strLine += " (by-id " + target.device.strById + ")";
    if (const std::string strProblem = TargetProblem(target); !strProblem.empty()) strLine += ": " + strProblem;
    return strLine;
  });
}

std::string ListPortMap(const CTargets& targets) {
  return JoinShownPorts(targets, ", ", [](uint8_t nPort, const SPortTarget& target) {
    std::string strEntry = PortName(nPort) + " (" + DescribeTarget(target);
    if (const std::string strProblem = TargetProblem(target); !strProblem.empty()) strEntry += ", " + strProblem;
    return strEntry + ")";
  });
}
