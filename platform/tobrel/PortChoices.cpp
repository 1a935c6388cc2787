#include "PortChoices.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <set>

namespace tobrel {

namespace {

std::string_view Trimmed(std::string_view text) {
  const size_t nStart = text.find_first_not_of(" \t\r");
  if (nStart == std::string_view::npos) return {};
  return text.substr(nStart, text.find_last_not_of(" \t\r") - nStart + 1);
}

// The COM number of "COM3" (any case), 0 when it is none.
int ComNumber(std::string_view name) {
  if (name.size() < 4 || (name.substr(0, 3) != "COM" && name.substr(0, 3) != "com")) return 0;
  int nNumber = 0;
  for (const char c : name.substr(3)) {
    if (c < '0' || c > '9' || nNumber > 1000) return -1;
    nNumber = nNumber * 10 + (c - '0');
  }
  return nNumber;
}

// A choice from strText, or its problem in vecProblems.
void Choose(SPortChoices& choices, uint8_t nPort, std::string_view text, const std::string& strOrigin) {
  SPortChoice choice;
  std::string strProblem;
  if (!ParseTargetOptions(text, choice.strTarget, choice.options, strProblem)) {
    choices.vecProblems.push_back(strOrigin + ": " + strProblem + "; " + PortName(nPort) + " is left as found");
    return;
  }
  choice.strOrigin = strOrigin;
  choices.aChoices[nPort] = std::move(choice);
}

void ReadFile(SPortChoices& choices) {
  const std::string strPath = PortsConfPath();
  std::ifstream file(strPath);
  std::string strLine;
  for (int nLine = 1; std::getline(file, strLine); ++nLine) {
    std::string_view line = strLine;
    line = Trimmed(line.substr(0, line.find('#')));
    if (line.empty()) continue;
    const std::string strWhere = strPath + ":" + std::to_string(nLine);
    const size_t nEquals = line.find('=');
    const int nPort = nEquals == std::string_view::npos ? 0 : ComNumber(Trimmed(line.substr(0, nEquals)));
    if (nPort == 0) {
      choices.vecProblems.push_back(strWhere + ": not COMn = TARGET[,options]");
      continue;
    }
    if (nPort < kFirstPort || nPort > kLastPort) {
      choices.vecProblems.push_back(strWhere + ": " + std::string(Trimmed(line.substr(0, nEquals))) +
                                    " is out of range: the dialog offers COM" + std::to_string(kFirstPort) + " to COM" +
                                    std::to_string(kLastPort));
      continue;
    }
    Choose(choices, static_cast<uint8_t>(nPort), Trimmed(line.substr(nEquals + 1)), strWhere);
  }
}

}  // namespace

std::string PortsConfPath() {
  const char* pszConfig = std::getenv("XDG_CONFIG_HOME");
  if (pszConfig != nullptr && *pszConfig == '/') return std::string(pszConfig) + "/quorvel/ports.conf";
  const char* pszHome = std::getenv("HOME");
  return std::string(pszHome != nullptr ? pszHome : "") + "/.config/quorvel/ports.conf";
}

SPortChoices ReadPortChoices() {
  SPortChoices choices;
  ReadFile(choices);
  // The environment wins over the file: a good variable replaces the file's line, a bad one
  // leaves the number to discovery.
  for (uint8_t nPort = kFirstPort; nPort <= kLastPort; ++nPort) {
    const char* pszMapped = std::getenv(PortVariable(nPort).c_str());
    if (pszMapped == nullptr || *pszMapped == '\0') continue;
    choices.aChoices[nPort].reset();
    Choose(choices, nPort, pszMapped, PortVariable(nPort));
  }
  return choices;
}

void TellProblemsOnce(const SPortChoices& choices) {
  static std::mutex s_mtx;
  static std::set<std::string> s_told;
  std::lock_guard lock(s_mtx);
  for (const std::string& strProblem : choices.vecProblems) {
    if (s_told.insert(strProblem).second) std::fprintf(stderr, "quorvel: %s\n", strProblem.c_str());
  }
}

}  // namespace tobrel
