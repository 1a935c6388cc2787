#include "PseudoTerminal.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <thread>

#include "PtyMaster.h"
#include "Tobrel.h"

namespace {

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
  const auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return remaining > 0 ? static_cast<int>(remaining) : 0;
}

}  // namespace

CTempDir::CTempDir() {
  char szTemplate[] = "/tmp/tobrel-test-XXXXXX";
  if (mkdtemp(szTemplate) == nullptr) throw std::runtime_error("mkdtemp failed");
  m_strPath = szTemplate;
}

CTempDir::~CTempDir() {
  std::error_code error;
  std::filesystem::remove_all(m_strPath, error);
}

std::string PortMap() {
  std::string strText;
  for (const char16_t* p = GetSerialPortMap(); *p != 0; ++p) strText += static_cast<char>(*p);
  return strText;
}

bool WaitForSize(uint8_t nPort, uint32_t nSize) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (DataSizeInCom(nPort) < nSize) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

std::string ReadFile(const std::string& strPath) {
  std::ifstream file(strPath, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

CPseudoTerminal::CPseudoTerminal() {
  std::optional<SPtyMaster> pty = OpenPtyMaster(O_CLOEXEC | O_NONBLOCK);
  if (!pty) throw std::runtime_error("no pseudo-terminal");
  m_nMasterFd = pty->nFd;
  m_strSlave = std::move(pty->strSlave);
}

CPseudoTerminal::~CPseudoTerminal() { CloseMaster(); }

void CPseudoTerminal::MapPort(uint8_t nPort, const std::string& strLink) const {
  std::error_code error;
  std::filesystem::remove(strLink, error);
  std::filesystem::create_symlink(m_strSlave, strLink);
  MapPortTo(nPort, strLink);
}

void CPseudoTerminal::CloseMaster() {
  if (m_nMasterFd >= 0) {
    close(m_nMasterFd);
    m_nMasterFd = -1;
  }
}

bool CPseudoTerminal::Write(const void* pData, size_t nCount, int nTimeoutMs) const {
  const auto deadline = Clock::now() + std::chrono::milliseconds(nTimeoutMs);
  const auto* pBytes = static_cast<const uint8_t*>(pData);
  size_t nDone = 0;
  while (nDone < nCount) {
    const ssize_t nWritten = write(m_nMasterFd, pBytes + nDone, nCount - nDone);
    if (nWritten > 0) {
      nDone += static_cast<size_t>(nWritten);
      continue;
    }
    pollfd pfd{m_nMasterFd, POLLOUT, 0};
    if (RemainingMs(deadline) == 0 || poll(&pfd, 1, RemainingMs(deadline)) < 0) return false;
  }
  return true;
}

std::vector<uint8_t> CPseudoTerminal::Read(size_t nCount, int nTimeoutMs) const {
  const auto deadline = Clock::now() + std::chrono::milliseconds(nTimeoutMs);
  std::vector<uint8_t> vecData(nCount);
  size_t nDone = 0;
  while (nDone < nCount) {
    const ssize_t nRead = read(m_nMasterFd, vecData.data() + nDone, nCount - nDone);
    if (nRead > 0) {
      nDone += static_cast<size_t>(nRead);
      continue;
    }
    pollfd pfd{m_nMasterFd, POLLIN, 0};
    if (RemainingMs(deadline) == 0 || poll(&pfd, 1, RemainingMs(deadline)) < 0) break;
  }
  vecData.resize(nDone);
  return vecData;
}

void MapPortTo(uint8_t nPort, const std::string& strDevice) {
  setenv(("QUORVEL_COM" + std::to_string(nPort)).c_str(), strDevice.c_str(), 1);
}

std::string MessageOf(uint32_t nResult) {
  std::string strText;
  for (const char16_t* p = GetSerialErrorMessage(nResult); *p != 0; ++p)
    strText += *p < 0x80 ? static_cast<char>(*p) : '?';
  return strText;
}

namespace {

namespace fs = std::filesystem;

void WriteFile(const fs::path& path, const std::string& strText) {
  fs::create_directories(path.parent_path());
  std::ofstream(path) << strText << '\n';
}

std::string DeviceNumber(const std::string& strNode) {
  struct stat st {};
  if (stat(strNode.c_str(), &st) != 0) return "0:0";
  return std::to_string(major(st.st_rdev)) + ":" + std::to_string(minor(st.st_rdev));
}

// The program's own empty tree and state directory, before any test runs.
struct CIsolation {
  CIsolation() {
    fs::create_directories(dir.File("root/sys/class/tty"));
    fs::create_directories(dir.File("root/dev"));
    setenv("QUORVEL_SYSROOT", dir.File("root").c_str(), 1);
    setenv("XDG_STATE_HOME", dir.File("state").c_str(), 1);
  }
  CTempDir dir;
};
const CIsolation g_isolation;

}  // namespace

CFakeSystem::CFakeSystem() {
  if (const char* pszRoot = std::getenv("QUORVEL_SYSROOT")) {
    m_bHadRoot = true;
    m_strPreviousRoot = pszRoot;
  }
  fs::create_directories(m_dir.File("sys/class/tty"));
  fs::create_directories(m_dir.File("dev/serial/by-id"));
  setenv("QUORVEL_SYSROOT", Root().c_str(), 1);
}

CFakeSystem::~CFakeSystem() {
  if (m_bHadRoot)
    setenv("QUORVEL_SYSROOT", m_strPreviousRoot.c_str(), 1);
  else
    unsetenv("QUORVEL_SYSROOT");
}

void CFakeSystem::AddNode(const std::string& strName, const CPseudoTerminal& pty) {
  const fs::path node = m_dir.File("dev/" + strName);
  std::error_code error;
  fs::remove(node, error);
  fs::create_symlink(pty.Slave(), node);
  WriteFile(m_dir.File("sys/class/tty/" + strName + "/dev"), DeviceNumber(pty.Slave()));
}

void CFakeSystem::AddUart(const std::string& strName, int nType, const CPseudoTerminal& pty) {
  const fs::path device = m_dir.File("sys/devices/platform/serial8250/tty/" + strName);
  fs::create_directories(device);
  WriteFile(m_dir.File("sys/class/tty/" + strName + "/type"), std::to_string(nType));
  fs::create_directory_symlink(device, m_dir.File("sys/class/tty/" + strName + "/device"));
  AddNode(strName, pty);
}

std::string CFakeSystem::ById(const std::string& strProduct, const std::string& strSerial) {
  std::string strName = "usb-" + strProduct + "_" + strSerial + "-if00-port0";
  std::replace(strName.begin(), strName.end(), ' ', '_');
  return strName;
}

void CFakeSystem::AddUsb(const std::string& strName, const std::string& strMaker, const std::string& strProduct,
                         const std::string& strSerial, const CPseudoTerminal& pty) {
  // As the kernel lays it out: the USB device, its interface, the tty under that.
  const std::string strBus = std::to_string(m_nNextBus++);
  const fs::path usb = m_dir.File("sys/devices/pci0000:00/usb" + strBus + "/" + strBus + "-1");
  WriteFile(usb / "idVendor", "0403");
  WriteFile(usb / "manufacturer", strMaker);
  WriteFile(usb / "product", strProduct);
  WriteFile(usb / "serial", strSerial);
  const fs::path tty = usb / (strBus + "-1:1.0") / strName;
  fs::create_directories(tty);
  fs::create_directories(m_dir.File("sys/class/tty/" + strName));
  fs::create_directory_symlink(fs::relative(tty, m_dir.File("sys/class/tty/" + strName)),
                               m_dir.File("sys/class/tty/" + strName + "/device"));
  AddNode(strName, pty);
  fs::create_symlink("../../" + strName, m_dir.File("dev/serial/by-id/" + ById(strProduct, strSerial)));
}

void CFakeSystem::Unplug(const std::string& strName) {
  fs::remove_all(m_dir.File("sys/class/tty/" + strName));
  fs::remove(m_dir.File("dev/" + strName));
  for (const auto& entry : fs::directory_iterator(m_dir.File("dev/serial/by-id"))) {
    if (fs::read_symlink(entry.path()).filename() == strName) fs::remove(entry.path());
  }
}

void CFakeSystem::SetConsole(const std::string& strName) {
  WriteFile(m_dir.File("sys/class/tty/console/active"), strName);
}

bool BecomeNobody() {
  constexpr uid_t kNobody = 65534;
  return geteuid() != 0 || (setgroups(0, nullptr) == 0 && setgid(kNobody) == 0 && setuid(kNobody) == 0);
}

std::string RunInChild(const std::function<std::string()>& fn) {
  int afd[2];
  if (pipe(afd) != 0) return "no pipe";
  const pid_t nChild = fork();
  if (nChild == 0) {
    close(afd[0]);
    const std::string strOut = fn();
    if (write(afd[1], strOut.data(), strOut.size()) < 0) _exit(1);
    _exit(0);
  }
  close(afd[1]);
  std::string strOut;
  char szBuffer[512];
  ssize_t nRead = 0;
  while ((nRead = read(afd[0], szBuffer, sizeof szBuffer)) > 0) strOut.append(szBuffer, static_cast<size_t>(nRead));
  close(afd[0]);
  int nStatus = 0;
  waitpid(nChild, &nStatus, 0);
  return strOut;
}
