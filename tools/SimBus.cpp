#include "SimBus.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace {

struct SModule {
  uint8_t nSlot;
  const char* pszAddress;
  const char* pszName;
};

constexpr std::array<SModule, 4> kModules{{
    {1, "00", "KESTRA-7065"},
    {3, "00", "KESTRA-7012"},
    {7, "00", "KESTRA-7017"},
    {7, "01", "KESTRA-7060"},
}};

bool IsHex(char ch) { return std::isxdigit(static_cast<unsigned char>(ch)) != 0; }

std::string UpperAddress(const std::string& strLine) {
  std::string strAddress = strLine.substr(1, 2);
  for (char& ch : strAddress) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  return strAddress;
}

}  // namespace

void CSimBus::SetActiveSlot(uint8_t nSlot) { m_nActiveSlot = nSlot; }

const char* CSimBus::ModuleAt(const std::string& strAddress) const {
  for (const SModule& module : kModules) {
    if (module.nSlot == m_nActiveSlot && strAddress == module.pszAddress) return module.pszName;
  }
  return nullptr;
}

std::string CSimBus::Answer(const std::string& strLine) const {
  const bool bAddressed = strLine.size() >= 3 && IsHex(strLine[1]) && IsHex(strLine[2]);
  const bool bNameQuery =
      bAddressed && strLine.size() == 4 && strLine[0] == '$' && (strLine[3] == 'M' || strLine[3] == 'm');
  const bool bOutput =
      bAddressed && strLine.size() > 3 && strLine[0] == '@' && std::all_of(strLine.begin() + 3, strLine.end(), IsHex);
  if (!bNameQuery && !bOutput) return strLine + "\r\n";
  const std::string strAddress = UpperAddress(strLine);
  const char* pszName = ModuleAt(strAddress);
  if (pszName == nullptr) return {};
  if (bNameQuery) return "!" + strAddress + pszName + "\r";
  return ">\r";
}
