// quorvel-sim in a directory of its own, for one test: COM1's link and the
// backplane socket are in that directory.
#pragma once

#include <sys/types.h>

#include <string>

class CSimulator {
 public:
  explicit CSimulator(const std::string& strProgram);
  ~CSimulator();
  CSimulator(const CSimulator&) = delete;
  CSimulator& operator=(const CSimulator&) = delete;

  // Whether it got ready within ten seconds.
  bool WaitReady() const;
  std::string Link() const { return m_strDir + "/com1"; }
  std::string Backplane() const { return m_strDir + "/backplane"; }

 private:
  std::string m_strDir;
  pid_t m_nPid = -1;
};
