// Who holds a busy port: the process with a lock on it (/proc/locks) or, failing that, one with
// it open (/proc/PID/fd, where this user may read it); and the usual fix for the programs that
// commonly take adapters.
#pragma once

#include <string>

namespace tobrel {

struct SPortHolder {
  std::string strName;  // "ModemManager (process 812)"; empty when nobody is found
  std::string strFix;   // for the programs known to take adapters, what to do about it
};

SPortHolder FindHolder(const std::string& strPath);

}  // namespace tobrel
