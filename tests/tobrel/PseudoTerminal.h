// Test side of a port: a pseudo-terminal whose slave is linked where QUORVEL_COMn points, so
// the library opens it as a serial port and the test plays the device on the master.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A fresh directory under /tmp, removed with everything in it.
class CTempDir {
 public:
  CTempDir();
  ~CTempDir();
  const std::string& Path() const { return m_strPath; }
  std::string File(const std::string& strName) const { return m_strPath + "/" + strName; }

 private:
  std::string m_strPath;
};

class CPseudoTerminal {
 public:
  CPseudoTerminal();
  ~CPseudoTerminal();
  CPseudoTerminal(const CPseudoTerminal&) = delete;
  CPseudoTerminal& operator=(const CPseudoTerminal&) = delete;

  const std::string& Slave() const { return m_strSlave; }
  // Points strLink at the slave (replacing an earlier link) and QUORVEL_COMn at strLink.
  void MapPort(uint8_t nPort, const std::string& strLink) const;
  // The device side goes away.
  void CloseMaster();

  // All bytes written, or false after nTimeoutMs.
  bool Write(const void* pData, size_t nCount, int nTimeoutMs = 10000) const;
  bool Write(const std::string& strData) const { return Write(strData.data(), strData.size()); }
  // Exactly nCount bytes, or fewer after nTimeoutMs.
  std::vector<uint8_t> Read(size_t nCount, int nTimeoutMs = 5000) const;

 private:
  int m_nMasterFd = -1;
  std::string m_strSlave;
};

void MapPortTo(uint8_t nPort, const std::string& strDevice);

// The library's message for a result, as UTF-8 for assertions.
std::string MessageOf(uint32_t nResult);
