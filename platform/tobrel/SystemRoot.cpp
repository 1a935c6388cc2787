#include "SystemRoot.h"

#include <cstdlib>

namespace tobrel {

std::string SystemPath(const std::string& strPath) {
  const char* pszRoot = std::getenv("QUORVEL_SYSROOT");
  if (pszRoot == nullptr || *pszRoot == '\0') return strPath;
  return pszRoot + strPath;
}

std::string ShownDevice(const std::string& strName) { return "/dev/" + strName; }

}  // namespace tobrel
