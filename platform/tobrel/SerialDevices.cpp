#include "SerialDevices.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>

#include "SystemRoot.h"

namespace tobrel {

namespace fs = std::filesystem;

namespace {

// Levels from a tty's device up to the USB device that carries the adapter's names.
constexpr int kUsbLevels = 4;

std::string ReadLine(const fs::path& path) {
  std::ifstream file(path);
  std::string strLine;
  std::getline(file, strLine);
  while (!strLine.empty() && std::isspace(static_cast<unsigned char>(strLine.back()))) strLine.pop_back();
  return strLine;
}

bool StartsWith(const std::string& strText, const std::string& strPrefix) { return strText.rfind(strPrefix, 0) == 0; }

bool IsAllDigits(const std::string& strText) {
  return !strText.empty() &&
         std::all_of(strText.begin(), strText.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
}

// "ttyUSB10" after "ttyUSB9": the stem, then the number at the end.
std::pair<std::string, unsigned long> NameOrder(const std::string& strName) {
  const size_t nDigits = strName.find_last_not_of("0123456789") + 1;
  const std::string strNumber = strName.substr(nDigits);
  return {strName.substr(0, nDigits), strNumber.empty() ? 0 : std::stoul(strNumber)};
}

// Kernel name to link name, for the links in /dev/serial/<strKind>.
std::map<std::string, std::string> StableNames(const std::string& strKind) {
  std::map<std::string, std::string> mapNames;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(SystemPath("/dev/serial/" + strKind), error)) {
    const fs::path target = fs::read_symlink(entry.path(), error);
    if (!error) mapNames.emplace(target.filename().string(), entry.path().filename().string());
  }
  return mapNames;
}

// The adapter's manufacturer, product and serial number from the USB device above the tty.
void ReadUsbNames(const fs::path& ttyDir, SSerialDevice& device) {
  std::error_code error;
  fs::path dir = fs::canonical(ttyDir / "device", error);
  if (error) return;
  const fs::path sysRoot = fs::weakly_canonical(SystemPath("/sys"), error);
  for (int i = 0; i < kUsbLevels && !dir.empty() && dir != sysRoot; ++i, dir = dir.parent_path()) {
    if (!fs::exists(dir / "idVendor", error)) continue;
    const std::string strMaker = ReadLine(dir / "manufacturer");
    const std::string strProduct = ReadLine(dir / "product");
    device.strDescription = strMaker.empty() || StartsWith(strProduct, strMaker) ? strProduct
                            : strProduct.empty()                                 ? strMaker
                                                                                 : strMaker + " " + strProduct;
    device.strSerial = ReadLine(dir / "serial");
    return;
  }
}

}  // namespace

std::vector<SSerialDevice> ListSerialDevices() {
  const auto mapById = StableNames("by-id");
  const auto mapByPath = StableNames("by-path");
  std::vector<SSerialDevice> vecDevices;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(SystemPath("/sys/class/tty"), error)) {
    SSerialDevice device;
    device.strName = entry.path().filename().string();
    const bool bVirtualConsole = StartsWith(device.strName, "tty") && IsAllDigits(device.strName.substr(3));
    if (bVirtualConsole || !fs::exists(entry.path() / "device", error)) continue;
    if (StartsWith(device.strName, "ttyS") && IsAllDigits(device.strName.substr(4))) {
      if (ReadLine(entry.path() / "type") == "0") continue;
      device.bOnBoard = true;
      device.nOnBoardIndex = std::stoi(device.strName.substr(4));
      device.strDescription = "on-board serial port";
    } else {
      ReadUsbNames(entry.path(), device);
    }
    if (auto it = mapById.find(device.strName); it != mapById.end()) device.strById = it->second;
    const auto itPath = mapByPath.find(device.strName);
    device.strIdentity = !device.strById.empty()     ? "by-id/" + device.strById
                         : itPath != mapByPath.end() ? "by-path/" + itPath->second
                                                     : device.strName;
    vecDevices.push_back(std::move(device));
  }
  std::sort(vecDevices.begin(), vecDevices.end(),
            [](const SSerialDevice& a, const SSerialDevice& b) { return NameOrder(a.strName) < NameOrder(b.strName); });
  return vecDevices;
}

std::string DescribeDevice(const SSerialDevice& device) {
  std::string strText = device.strDescription;
  if (!device.strSerial.empty()) strText += (strText.empty() ? "serial " : ", serial ") + device.strSerial;
  return strText;
}

}  // namespace tobrel
