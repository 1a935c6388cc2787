#include "Port.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>

#include "Capture.h"
#include "Console.h"
#include "DeviceCheck.h"
#include "LineSpeed.h"
#include "Messages.h"
#include "NetworkTarget.h"
#include "PortHolder.h"
#include "PortMap.h"
#include "PortMemory.h"
#include "SerialDevices.h"
#include "SystemText.h"
#include "Tobrel.h"
#include "TobrelResults.h"

namespace tobrel {

namespace {

// How long Close gives queued bytes to go out.
constexpr std::chrono::milliseconds kDrainTime{1000};

// The open ports. At exit each is closed, so its queue drains, before the capture file ends.
struct SPortTable {
  std::array<std::shared_ptr<CPort>, kLastPort + 1> apPorts;
  ~SPortTable() {
    for (auto& pPort : apPorts) pPort.reset();
    StopCapture();
  }
};

std::mutex g_mtxTable;
SPortTable g_table;

// Unix98 pseudo-terminal slaves, and the old BSD ones.
bool IsPseudoTerminal(dev_t nDevice) {
  const unsigned nMajor = major(nDevice);
  return (nMajor >= 136 && nMajor <= 143) || nMajor == 3;
}

// The name of a user or group (getpwuid_r, getgrgid_r), else "uid 1000" or "gid 20".
template <typename TEntry, typename TId>
std::string EntryName(TId nId, int (*pfnLookUp)(TId, TEntry*, char*, size_t, TEntry**), char* TEntry::*pName,
                      const char* pszKind) {
  TEntry entry{};
  TEntry* pFound = nullptr;
  char szBuffer[1024];
  if (pfnLookUp(nId, &entry, szBuffer, sizeof szBuffer, &pFound) == 0 && pFound != nullptr) return pFound->*pName;
  return std::string(pszKind) + " " + std::to_string(nId);
}

std::string UserName(uid_t nUid) { return EntryName(nUid, getpwuid_r, &passwd::pw_name, "uid"); }

std::string GroupName(gid_t nGid) { return EntryName(nGid, getgrgid_r, &group::gr_name, "gid"); }

std::string AdapterHint(uint8_t nPort) {
  return "Set " + PortVariable(nPort) + " to the device of your adapter, for example /dev/ttyUSB0.";
}

uint32_t ReportPortNumber(uint8_t nPort) {
  if (nPort == 0) return Report(TOBREL_ERR_PORT_NUMBER, std::string("Port 0 is not a port: ") + kChoosePort + ".");
  return Report(TOBREL_ERR_PORT_NUMBER, PortName(nPort) + " does not exist: " + kChoosePort + ".");
}

uint32_t ReportNoDevice(uint8_t nPort, const std::array<SPortTarget, kLastPort + 1>& targets) {
  const std::string strFound = ListPortMap(targets);
  const std::string strWhat = strFound.empty() ? " has no device, and no serial device was found"
                                               : " has no device: the serial devices found are " + strFound;
  return Report(TOBREL_ERR_NO_DEVICE,
                PortName(nPort) + strWhat + ". Plug one in and open again, or set " + PortVariable(nPort) + ".");
}

// Who may use a device that this user may not open, and what to do about it.
std::string PermissionAdvice(const std::string& strPath) {
  struct stat st {};
  if (stat(strPath.c_str(), &st) != 0) return "Check who may use it.";
  const mode_t nGroupReadWrite = S_IRGRP | S_IWGRP;
  if ((st.st_mode & nGroupReadWrite) == nGroupReadWrite) {
    const std::string strGroup = GroupName(st.st_gid);
    return "Members of its group " + strGroup + " may use it: join it with sudo usermod -aG " + strGroup +
           " $USER, then log out and in again.";
  }
  return "Nobody but its owner (" + UserName(st.st_uid) + ") may use it. " + kUdevAdvice;
}

std::string Value(int8_t nValue) { return std::to_string(static_cast<int>(nValue)); }

// A missing setting, or one that cannot be: the port, then the value when there is one.
uint32_t ReportSettingsError(uint32_t nCode, uint8_t nPort, const SLineSettings& settings) {
  const std::string strPrefix = PortPrefix(nPort);
  switch (nCode) {
    case TOBREL_ERR_DATA_BITS:
      if (settings.nDataBits >= 0)
        return Report(nCode,
                      strPrefix + Value(settings.nDataBits) + " data bits are not valid: " + kChooseDataBits + ".");
      break;
    case TOBREL_ERR_PARITY:
      if (settings.nParity >= 0)
        return Report(nCode, strPrefix + "Parity " + Value(settings.nParity) + " is not valid: " + kChooseParity + ".");
      break;
    case TOBREL_ERR_STOP_BITS:
      if (settings.nStopBits >= 0)
        return Report(
            nCode, strPrefix + "Stop bits " + Value(settings.nStopBits) + " are not valid: " + kChooseStopBits + ".");
      break;
    case TOBREL_ERR_STOP_BITS_UNSUPPORTED:
      return Report(nCode, strPrefix + "1.5 stop bits are not supported with " + Value(settings.nDataBits) +
                               " data bits: they need 5 data bits. Pick 1 or 2 stop bits.");
    default:
      break;
  }
  return Report(nCode, strPrefix + GenericText(nCode));
}

}  // namespace

CPort::CPort(uint8_t nPort) : m_nPort(nPort) {}

CPort::~CPort() { Close(); }

std::string CPort::Where() const {
  std::string strWhere = PortPrefix(m_nPort) + m_strDevice;
  if (!m_strDescription.empty()) strWhere += " (" + m_strDescription + ")";
  return strWhere;
}

uint32_t CPort::ReportOpenError(int nErrno) const {
  const std::string strWhere = Where();
  switch (nErrno) {
    case ENOENT:
    case ENOTDIR:
      return Report(TOBREL_ERR_NO_DEVICE, strWhere + " does not exist. Plug it in and open again, or set " +
                                              PortVariable(m_nPort) + " to the device of your adapter.");
    case ENXIO:
    case ENODEV:
    case EIO:
      return Report(TOBREL_ERR_NO_HARDWARE, strWhere + " exists but no serial hardware answers behind it (" +
                                                SystemError(nErrno) + "). " + AdapterHint(m_nPort));
    case EACCES:
    case EPERM:
      return Report(TOBREL_ERR_PERMISSION, strWhere + ": permission denied. " + PermissionAdvice(m_strPath));
    case EBUSY:
    case EWOULDBLOCK: {
      const SPortHolder holder = FindHolder(m_strPath);
      if (holder.strName.empty())
        return Report(TOBREL_ERR_IN_USE, strWhere + " is in use by another program. " + kInUseAdvice);
      return Report(TOBREL_ERR_IN_USE, strWhere + " is in use by " + holder.strName + ". " +
                                           (holder.strFix.empty() ? std::string(kInUseAdvice) : holder.strFix));
    }
    case ENAMETOOLONG: {
      // Said first, and the path cut: thousands of characters would hide the reason.
      constexpr size_t kShown = 60;
      const std::string strShown = m_strDevice.size() > kShown ? m_strDevice.substr(0, kShown) + "\u2026" : m_strDevice;
      return Report(TOBREL_ERR_OPEN_COM, PortPrefix(m_nPort) + "the device's path is too long to open (" +
                                             std::to_string(m_strDevice.size()) + " bytes): " + strShown + ". Set " +
                                             PortVariable(m_nPort) + " to a shorter path.");
    }
    case ENOTTY:
    case EINVAL:
      return Report(TOBREL_ERR_NOT_A_TTY, strWhere + " is not a serial port. " + AdapterHint(m_nPort));
    default:
      return Report(TOBREL_ERR_OPEN_COM, strWhere + " could not be opened: " + SystemError(nErrno) + ".");
  }
}

uint32_t CPort::Open(const SPortTarget& target, const SLineFlags& flags) {
  Close();
  m_strDevice = target.strShown;
  m_strPath = target.strPath;
  m_strDescription = DescribeDevice(target.device);
  m_strServer.clear();
  m_pTelnet.reset();
  if (IsNetworkTarget(m_strDevice)) {
    m_options = target.options;
    return OpenNetwork(flags);
  }

  // Refused before anything is opened, so a refused device keeps its settings.
  const SDeviceCheck check = CheckDevice(m_strPath, IsConfirmedSerial(m_nPort, target));
  if (check.nError != 0) return ReportOpenError(check.nError);
  if (check.pszRefusal != nullptr) {
    const std::string strVariable = PortVariable(m_nPort);
    return Report(TOBREL_ERR_CONSOLE,
                  Where() + " is " + check.pszRefusal + ", which a test terminal must not take over. Set " +
                      strVariable + " to another device" +
                      (check.pszRefusal == kOtherSessionsTerminal
                           ? ", or, if it is a serial line, confirm that with " + strVariable + "_IS_SERIAL=yes."
                           : "."));
  }

  m_nFd = open(m_strPath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (m_nFd < 0) return ReportOpenError(errno);
  uint32_t nResult = TOBREL_OK;
  if (tcgetattr(m_nFd, &m_tioBefore) != 0)
    nResult = ReportOpenError(errno);
  else if (flock(m_nFd, LOCK_EX | LOCK_NB) != 0)
    nResult = ReportOpenError(errno);
  if (nResult == TOBREL_OK) {
    struct stat st {};
    if (fstat(m_nFd, &st) == 0) m_bPseudoTerminal = IsPseudoTerminal(st.st_rdev);
    nResult = Apply(flags, target.options);
    // A device that did not take the settings is left as it was found.
    if (nResult != TOBREL_OK) tcsetattr(m_nFd, TCSANOW, &m_tioBefore);
  }
  if (nResult == TOBREL_OK) {
    m_ring.Reset();
    nResult = StartTransfer();
  } else {
    close(m_nFd);
    m_nFd = -1;
  }
  if (nResult == TOBREL_OK)
    CaptureEvent(m_nPort, "opened " + m_strDevice + ", " + DescribeSettings(m_flags.nCflag, m_flags.nBaud));
  return nResult;
}

uint32_t CPort::StartTransfer() {
  uint32_t nResult = TOBREL_OK;
  if (const int nError = m_receiver.Start(m_nFd, m_ring, m_nPort, IsNetwork(), m_pTelnet.get()); nError != 0)
    nResult = Report(TOBREL_ERR_OPEN_COM, Where() + ": could not start reading: " + SystemError(nError) + ".");
  else if (const int nWriterError = m_writer.Start(m_nFd, m_pTelnet != nullptr); nWriterError != 0)
    nResult = Report(TOBREL_ERR_OPEN_COM, Where() + ": could not start writing: " + SystemError(nWriterError) + ".");
  if (nResult != TOBREL_OK) {
    m_receiver.Stop();
    close(m_nFd);
    m_nFd = -1;
  }
  return nResult;
}

void CPort::KeepFlags(const SLineFlags& flags) {
  m_flags = flags;
  m_receiver.SetLineRate(flags.nBaud / std::max<uint32_t>(flags.nBitsPerChar, 1));
  m_writer.SetCharTime(std::chrono::microseconds(uint64_t{flags.nBitsPerChar} * 1000000 / flags.nBaud + 1));
}

uint32_t CPort::Apply(const SLineFlags& flags, const SLineOptions& options) {
  // Not while a send is under way: it reads the line timing from m_flags.
  std::lock_guard lock(m_mtxIo);
  const std::string strWhere = PortPrefix(m_nPort) + m_strDevice;
  termios tio{};
  if (tcgetattr(m_nFd, &tio) != 0)
    return Report(TOBREL_ERR_SETTINGS_REFUSED, strWhere + " refused the settings: " + SystemError(errno) + ".");
  cfmakeraw(&tio);
  tio.c_cflag = (tio.c_cflag & ~kOwnedCflag) | flags.nCflag;
  m_options = options;
  ApplyOptions(m_options, tio);
  tio.c_cc[VMIN] = 1;
  tio.c_cc[VTIME] = 0;
  cfsetispeed(&tio, flags.nSpeed);
  cfsetospeed(&tio, flags.nSpeed);
  if (tcsetattr(m_nFd, TCSANOW, &tio) != 0)
    return Report(TOBREL_ERR_SETTINGS_REFUSED, strWhere + " refused the settings (" +
                                                   DescribeSettings(flags.nCflag, flags.nBaud) +
                                                   "): " + SystemError(errno) + ".");
  if (flags.bCustomSpeed) {
    if (const int nError = SetLineSpeed(m_nFd, flags.nBaud); nError != 0)
      return Report(TOBREL_ERR_SETTINGS_REFUSED,
                    strWhere + " does not take " + std::to_string(flags.nBaud) + " baud: " + SystemError(nError) + ".");
  }
  if (tcgetattr(m_nFd, &tio) != 0)
    return Report(TOBREL_ERR_SETTINGS_REFUSED, strWhere + " does not tell its settings: " + SystemError(errno) + ".");
  if (const std::string strMismatch = DescribeOptionsMismatch(m_options, tio); !strMismatch.empty())
    return Report(TOBREL_ERR_SETTINGS_REFUSED, strWhere + " did not take the line options: " + strMismatch + ".");
  // A pseudo-terminal has no modem lines.
  if (const int nError = m_bPseudoTerminal ? 0 : SetModemLines(); nError != 0)
    return Report(TOBREL_ERR_SETTINGS_REFUSED,
                  strWhere + " did not take " + DescribeOptions(m_options) + ": " + SystemError(nError) + ".");
  // A pseudo-terminal has no line: it keeps no parity or character size worth comparing.
  if (!m_bPseudoTerminal) {
    uint32_t nBaudRead = 0;
    if (ReadLineSpeed(m_nFd, nBaudRead) != 0)
      return Report(TOBREL_ERR_SETTINGS_REFUSED, strWhere + " does not tell its settings: " + SystemError(errno) + ".");
    const std::string strMismatch = DescribeMismatch(flags, tio.c_cflag, nBaudRead);
    if (!strMismatch.empty())
      return Report(TOBREL_ERR_SETTINGS_REFUSED,
                    strWhere + " did not take the settings: " + strMismatch + ". " + kSettingsAdvice);
  }
  KeepFlags(flags);
  return TOBREL_OK;
}

int CPort::SetModemLines() const {
  int nRaise = 0;
  int nDrop = 0;
  if (m_options.bDtr) (*m_options.bDtr ? nRaise : nDrop) |= TIOCM_DTR;
  if (m_options.bRts) (*m_options.bRts ? nRaise : nDrop) |= TIOCM_RTS;
  if (nRaise != 0 && ioctl(m_nFd, TIOCMBIS, &nRaise) != 0) return errno;
  if (nDrop != 0 && ioctl(m_nFd, TIOCMBIC, &nDrop) != 0) return errno;
  int nLines = 0;
  if ((nRaise | nDrop) != 0 && ioctl(m_nFd, TIOCMGET, &nLines) == 0 &&
      ((nLines & nRaise) != nRaise || (nLines & nDrop) != 0))
    return EIO;
  return 0;
}

bool CPort::IsHungUp() const {
  pollfd pfd{m_nFd, 0, 0};
  return m_nFd < 0 || (poll(&pfd, 1, 0) > 0 && (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)));
}

uint64_t CPort::Close() {
  std::lock_guard lock(m_mtxIo);
  const uint64_t nDropped = m_writer.Finish(kDrainTime);
  m_receiver.Stop();
  if (m_nFd < 0) return nDropped;
  // The device gets its modes back, as terminal programs give them back.
  tcsetattr(m_nFd, TCSANOW, &m_tioBefore);
  flock(m_nFd, LOCK_UN);
  close(m_nFd);
  m_nFd = -1;
  CaptureEvent(m_nPort, nDropped == 0 ? "closed" : "closed, " + std::to_string(nDropped) + " queued bytes dropped");
  return nDropped;
}

std::string CPort::ClosedReason() const {
  if (!m_ring.IsGone()) return "sending failed";
  const int nError = m_receiver.GoneError();
  return nError == 0 ? "the server ended it" : SystemError(nError);
}

uint32_t ReportDisconnected(const CPort& port, const std::string& strWhile) {
  if (port.IsNetwork())
    return Report(TOBREL_ERR_DISCONNECTED,
                  PortPrefix(port.Number()) + "the connection to " + port.Server() + " was closed" + strWhile + ": " +
                      port.ClosedReason() + ". Everything received before is kept; press Open Com to connect again.");
  return Report(TOBREL_ERR_DISCONNECTED, PortPrefix(port.Number()) + port.Device() + " has disconnected" + strWhile +
                                             ". Everything received before is kept. " + kReplugAdvice);
}

std::shared_ptr<CPort> FindPort(uint8_t nPort) {
  if (!IsValidPort(nPort)) return nullptr;
  std::lock_guard lock(g_mtxTable);
  return g_table.apPorts[nPort];
}

uint32_t LookUpPort(uint8_t nPort, std::shared_ptr<CPort>& pPort) {
  if (!IsValidPort(nPort)) return ReportPortNumber(nPort);
  pPort = FindPort(nPort);
  if (!pPort) return Report(TOBREL_ERR_NOT_OPEN, PortName(nPort) + " is not open. " + kOpenFirst);
  return TOBREL_OK;
}

}  // namespace tobrel

using namespace tobrel;

namespace {

uint32_t OpenPort(uint8_t port, uint32_t baudRate, int8_t dataBits, int8_t parity, int8_t stopBits) {
  if (!IsValidPort(port)) return ReportPortNumber(port);
  const SLineSettings settings{baudRate, dataBits, parity, stopBits};
  SLineFlags flags{};
  if (const uint32_t nResult = MapLineSettings(settings, flags); nResult != TOBREL_OK)
    return ReportSettingsError(nResult, port, settings);

  const auto targets = MapPorts();
  const SPortTarget& target = targets[port];
  std::lock_guard lock(g_mtxTable);
  std::shared_ptr<CPort>& pPort = g_table.apPorts[port];
  uint32_t nResult = TOBREL_OK;
  // A network port connects afresh each time, so the server gets the settings in one go.
  if (pPort && !pPort->IsNetwork() && !pPort->IsGone() && !pPort->IsHungUp() && !target.strPath.empty() &&
      pPort->Path() == target.strPath) {
    nResult = pPort->Apply(flags, target.options);
    if (nResult == TOBREL_OK) CaptureEvent(port, "settings " + DescribeSettings(flags.nCflag, flags.nBaud));
  } else {
    // A device that went away, or a port mapped elsewhere now, is opened afresh.
    if (pPort) {
      pPort->Close();
      pPort.reset();
    }
    if (target.strShown.empty()) return ReportNoDevice(port, targets);
    auto pNew = std::make_shared<CPort>(port);
    nResult = pNew->Open(target, flags);
    if (nResult == TOBREL_OK) pPort = std::move(pNew);
  }
  if (nResult != TOBREL_OK) return nResult;
  return Report(TOBREL_OK,
                PortName(port) + " is open: " + (pPort->IsNetwork() ? pPort->Opened() : DescribeTarget(target)));
}

}  // namespace

extern "C" uint32_t Open_Com(uint8_t port, uint32_t baudRate, int8_t dataBits, int8_t parity, int8_t stopBits) {
  const uint32_t nResult = OpenPort(port, baudRate, dataBits, parity, stopBits);
  // A damaged COM-number memory is told where a person looks, after what the open says.
  if (const std::string strNote = TakeStateNote(); !strNote.empty()) {
    const std::string strMessage = MessageText(nResult);
    return Report(nResult, strMessage + (strMessage.ends_with('.') ? " " : ". ") + strNote);
  }
  return nResult;
}

extern "C" uint32_t Close_Com(uint8_t port) {
  std::shared_ptr<CPort> pPort;
  if (const uint32_t nResult = LookUpPort(port, pPort); nResult != TOBREL_OK) return nResult;
  {
    std::lock_guard lock(g_mtxTable);
    if (g_table.apPorts[port] == pPort) g_table.apPorts[port].reset();
  }
  if (const uint64_t nDropped = pPort->Close(); nDropped != 0)
    return Report(TOBREL_ERR_SEND_DROPPED, PortName(port) + " is closed (" + pPort->Device() + "); " +
                                               std::to_string(nDropped) + " queued bytes could not go out within " +
                                               std::to_string(kDrainTime.count() / 1000) + " s and were dropped.");
  return Report(TOBREL_OK, PortName(port) + " is closed (" + pPort->Device() + ")");
}

extern "C" const char16_t* GetSerialPortMap() { return LastMessage().Show(DescribePortMap(MapPorts())); }
