// What the user chose for each COM number: QUORVEL_COMn, else a line of ports.conf
// ($XDG_CONFIG_HOME/quorvel/ports.conf, by default ~/.config/quorvel/ports.conf), one
// "COMn = TARGET[,options]" a line, # starting a comment. A bad line or option is told with its
// file and line (or variable), and leaves that COM number to discovery.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "LineOptions.h"
#include "PortNumber.h"

namespace tobrel {

struct SPortChoice {
  std::string strTarget;
  SLineOptions options;
  std::string strOrigin;  // "QUORVEL_COM3", or "/home/ann/.config/quorvel/ports.conf:4"
};

struct SPortChoices {
  std::array<std::optional<SPortChoice>, kLastPort + 1> aChoices;  // index 0 unused
  // "/home/ann/.config/quorvel/ports.conf:4: unknown option ...; COM3 is left as found"
  std::vector<std::string> vecProblems;
};

std::string PortsConfPath();
SPortChoices ReadPortChoices();
// Says each problem on standard error, once per run.
void TellProblemsOnce(const SPortChoices& choices);

}  // namespace tobrel
