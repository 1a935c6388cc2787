// Test side of a port: a pseudo-terminal whose slave is linked where QUORVEL_COMn points, so
// the library opens it as a serial port and the test plays the device on the master.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
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

// The whole of a file; empty when it cannot be read.
std::string ReadFile(const std::string& strPath);

// The serial library's port map (GetSerialPortMap) as the ASCII it is in the tests.
std::string PortMap();
// Waits until the library has at least nSize bytes of nPort waiting; the 20 s bound is
// only there so that a broken library fails instead of hanging.
bool WaitForSize(uint8_t nPort, uint32_t nSize);

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

// A tree of /sys and /dev of the test's own, with pseudo-terminals behind the device nodes,
// that the library reads while the object lives (QUORVEL_SYSROOT). Every test program starts
// on an empty one, with a state directory of its own (XDG_STATE_HOME).
class CFakeSystem {
 public:
  CFakeSystem();
  ~CFakeSystem();
  CFakeSystem(const CFakeSystem&) = delete;
  CFakeSystem& operator=(const CFakeSystem&) = delete;

  const std::string& Root() const { return m_dir.Path(); }
  // An on-board UART ttySn; with a chip when nType is not 0. Its node is the pseudo-terminal.
  void AddUart(const std::string& strName, int nType, const CPseudoTerminal& pty);
  // A USB adapter, with its names in sysfs and a link in /dev/serial/by-id.
  void AddUsb(const std::string& strName, const std::string& strMaker, const std::string& strProduct,
              const std::string& strSerial, const CPseudoTerminal& pty);
  // The adapter's name under /dev/serial/by-id.
  static std::string ById(const std::string& strProduct, const std::string& strSerial);
  // The device and its links go, as when it is pulled out.
  void Unplug(const std::string& strName);
  // The kernel's console is strName.
  void SetConsole(const std::string& strName);

 private:
  void AddNode(const std::string& strName, const CPseudoTerminal& pty);

  CTempDir m_dir;
  std::string m_strPreviousRoot;
  bool m_bHadRoot = false;
  int m_nNextBus = 1;
};

// Runs fn in a child process and answers the text it returns.
std::string RunInChild(const std::function<std::string()>& fn);
// Drops root's rights for good, becoming user nobody; true when not root to begin with.
bool BecomeNobody();

// The library's message for a result, as UTF-8 for assertions.
std::string MessageOf(uint32_t nResult);
