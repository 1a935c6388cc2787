#include "CommandLine.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "SystemText.h"

namespace {

std::string Synopsis(const SOption& option) {
  std::string strText = option.pszName;
  if (option.pszArgument != nullptr) strText += std::string(" ") + option.pszArgument;
  return strText;
}

}  // namespace

int UsageError(const std::string& strWhat) {
  std::fprintf(stderr, "quorvel: %s; see quorvel --help\n", ShowControls(strWhat).c_str());
  return kUsageError;
}

int RunCommandLine(int argc, char** argv, std::span<const SOption> options) {
  // The whole line is checked before any option acts.
  std::vector<std::pair<const SOption*, const char*>> vecRuns;
  for (int i = 1; i < argc; ++i) {
    const auto it = std::find_if(options.begin(), options.end(),
                                 [&](const SOption& option) { return std::strcmp(option.pszName, argv[i]) == 0; });
    if (it == options.end()) return UsageError(std::string("unknown argument \"") + argv[i] + "\"");
    const char* pszValue = nullptr;
    if (it->pszArgument != nullptr) {
      if (i + 1 >= argc) return UsageError(std::string(it->pszName) + " needs " + it->pszArgument);
      pszValue = argv[++i];
    }
    vecRuns.emplace_back(&*it, pszValue);
  }
  for (const auto& [pOption, pszValue] : vecRuns) {
    if (const int nStatus = pOption->pfnRun(pszValue); nStatus != kContinue) return nStatus;
  }
  return kContinue;
}

std::string HelpText(std::span<const SOption> options) {
  size_t nWidth = 0;
  for (const SOption& option : options) nWidth = std::max(nWidth, Synopsis(option).size());
  std::string strText =
      "Usage: quorvel [OPTION]...\n"
      "A serial-port test terminal: open a port, send lines, watch what arrives.\n\n";
  for (const SOption& option : options) {
    const std::string strSynopsis = Synopsis(option);
    strText += "  " + strSynopsis + std::string(nWidth - strSynopsis.size() + 2, ' ') + option.pszHelp + "\n";
  }
  strText +=
      "\nQUORVEL_COMn=DEVICE[,OPTIONS] puts DEVICE (or rfc2217://HOST:PORT, tcp://HOST:PORT) behind\n"
      "COMn, as ~/.config/quorvel/ports.conf does; QUORVEL_COMn_IS_SERIAL=yes confirms that\n"
      "it is a serial line when another session has it as its terminal; QUORVEL_BACKPLANE\n"
      "names the controller's backplane socket; QUORVEL_CAPTURE=FILE captures as --capture\n"
      "does, unless an option names a file. See man quorvel.\n";
  return strText;
}
