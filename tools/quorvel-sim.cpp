// quorvel-sim: a simulated controller behind a pseudo-terminal.
//
//   quorvel-sim --link PATH [--backplane SOCKET] [--ready-file FILE] [--slot N]
//               [--stream RATE --count N --kind lines|nolines|text --seed N]
//
// The pseudo-terminal's slave is linked at PATH (point QUORVEL_COMn there). Slot switches
// arrive as datagrams on SOCKET (see PallixBackplane.h; point QUORVEL_BACKPLANE there). Command
// lines end with CR; the answers are those of SimBus.h. With --stream, the command line
// STREAM makes it send N bytes of StreamPattern.h at RATE bytes per second (0: as fast as
// the reader takes them), then it answers commands again. Once ready it writes PATH to FILE
// and to stdout. SIGTERM, SIGINT or SIGHUP end it; it removes the link, the socket and FILE.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "PallixBackplane.h"
#include "PtyMaster.h"
#include "SimBus.h"
#include "StreamPattern.h"

namespace {

using Clock = std::chrono::steady_clock;

// A line longer than this is cut: its answer would only be noise.
constexpr size_t kMaxCommandLine = 64 * 1024;
// Stream bytes are generated ahead only this far, so that answers do not wait behind them.
constexpr size_t kStreamAhead = 64 * 1024;

struct SOptions {
  std::string strLink;
  std::string strBackplane;
  std::string strReadyFile;
  uint8_t nSlot = CSimBus::kStartSlot;
  bool bStream = false;
  uint64_t nRate = 0;
  uint64_t nCount = 0;
  EStreamKind kind = EStreamKind::Lines;
  uint64_t nSeed = CStreamPattern::kDefaultSeed;
};

[[noreturn]] void Fail(const std::string& strWhat) {
  std::fprintf(stderr, "quorvel-sim: %s\n", strWhat.c_str());
  std::exit(1);
}

// A command line the simulator does not understand: exit status 2, as for other programs.
[[noreturn]] void FailUsage(const std::string& strWhat) {
  std::fprintf(stderr, "quorvel-sim: %s\n", strWhat.c_str());
  std::exit(2);
}

[[noreturn]] void FailErrno(const std::string& strWhat) { Fail(strWhat + ": " + std::strerror(errno)); }

uint64_t Number(const char* pszText, const char* pszOption) {
  char* pEnd = nullptr;
  errno = 0;
  const unsigned long long nValue = std::strtoull(pszText, &pEnd, 10);
  if (errno != 0 || pEnd == pszText || *pEnd != '\0')
    FailUsage(std::string("not a number for ") + pszOption + ": " + pszText);
  return nValue;
}

constexpr const char* kUsage =
    "usage: quorvel-sim --link PATH [--backplane SOCKET] [--ready-file FILE] [--slot N] "
    "[--stream RATE --count N --kind lines|nolines|text --seed N]";

// Every option but --help takes a value.
constexpr std::string_view kValuedOptions[] = {"--link",   "--backplane", "--ready-file", "--slot",
                                               "--stream", "--count",     "--seed",       "--kind"};

SOptions ParseOptions(int argc, char** argv) {
  SOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view option = argv[i];
    if (option == "--help") {
      std::printf("%s\n", kUsage);
      std::exit(0);
    }
    if (std::find(std::begin(kValuedOptions), std::end(kValuedOptions), option) == std::end(kValuedOptions))
      FailUsage("unknown option " + std::string(option) + "; " + kUsage);
    if (i + 1 >= argc) FailUsage("missing value for " + std::string(option));
    const char* pszValue = argv[++i];
    if (option == "--link")
      options.strLink = pszValue;
    else if (option == "--backplane")
      options.strBackplane = pszValue;
    else if (option == "--ready-file")
      options.strReadyFile = pszValue;
    else if (option == "--slot") {
      options.nSlot = static_cast<uint8_t>(Number(pszValue, "--slot"));
      if (!IsValidSlot(options.nSlot)) FailUsage("--slot must be 1 to 8");
    } else if (option == "--stream") {
      options.bStream = true;
      options.nRate = Number(pszValue, "--stream");
    } else if (option == "--count")
      options.nCount = Number(pszValue, "--count");
    else if (option == "--seed")
      options.nSeed = Number(pszValue, "--seed");
    else if (option == "--kind") {
      const std::string_view kind = pszValue;
      if (kind == "lines")
        options.kind = EStreamKind::Lines;
      else if (kind == "nolines")
        options.kind = EStreamKind::NoLines;
      else if (kind == "text")
        options.kind = EStreamKind::Text;
      else
        FailUsage("--kind must be lines, nolines or text");
    }
  }
  if (options.strLink.empty()) FailUsage(kUsage);
  return options;
}

class CSimulator {
 public:
  explicit CSimulator(const SOptions& options) : m_options(options), m_pattern(options.kind, options.nSeed) {
    m_bus.SetActiveSlot(options.nSlot);
  }

  void SetUp() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGHUP);
    sigprocmask(SIG_BLOCK, &signals, nullptr);
    m_nSignalFd = signalfd(-1, &signals, SFD_CLOEXEC);
    if (m_nSignalFd < 0) FailErrno("signalfd");

    OpenPseudoTerminal();
    if (!m_options.strBackplane.empty()) BindBackplane();
    Link();
    if (!m_options.strReadyFile.empty()) {
      const std::string strTemporary = m_options.strReadyFile + ".tmp";
      std::ofstream(strTemporary) << m_options.strLink << '\n';
      if (rename(strTemporary.c_str(), m_options.strReadyFile.c_str()) != 0)
        FailErrno("ready file " + m_options.strReadyFile);
    }
    std::printf("%s\n", m_options.strLink.c_str());
    std::fflush(stdout);
  }

  void Run() {
    for (;;) {
      pollfd afd[3] = {{m_nSignalFd, POLLIN, 0},
                       {m_nMasterFd, static_cast<short>(POLLIN | (m_strPending.empty() ? 0 : POLLOUT)), 0},
                       {m_nBackplaneFd, POLLIN, 0}};
      if (poll(afd, m_nBackplaneFd >= 0 ? 3 : 2, PollTimeout()) < 0) {
        if (errno == EINTR) continue;
        FailErrno("poll");
      }
      if (afd[0].revents != 0) return;
      // The backplane first: a slot switch sent before a command takes effect before it.
      if (m_nBackplaneFd >= 0 && (afd[2].revents & POLLIN)) ReadBackplane();
      if (afd[1].revents & POLLIN) ReadMaster();
      Stream();
      WritePending();
    }
  }

  void TearDown() {
    char szTarget[4096];
    const ssize_t nLength = readlink(m_options.strLink.c_str(), szTarget, sizeof szTarget - 1);
    if (nLength > 0 && std::string(szTarget, static_cast<size_t>(nLength)) == m_strSlave)
      unlink(m_options.strLink.c_str());
    if (m_nBackplaneFd >= 0) unlink(m_options.strBackplane.c_str());
    if (!m_options.strReadyFile.empty()) unlink(m_options.strReadyFile.c_str());
  }

 private:
  void OpenPseudoTerminal() {
    const std::optional<SPtyMaster> pty = OpenPtyMaster(O_CLOEXEC | O_NONBLOCK);
    if (!pty) FailErrno("pseudo-terminal");
    m_nMasterFd = pty->nFd;
    m_strSlave = pty->strSlave;
    // Held open so the master never sees a hang-up when the terminal closes its side.
    m_nSlaveFd = open(m_strSlave.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_nSlaveFd < 0) FailErrno("open " + m_strSlave);
    termios tio{};
    tcgetattr(m_nSlaveFd, &tio);
    cfmakeraw(&tio);
    tcsetattr(m_nSlaveFd, TCSANOW, &tio);
  }

  void BindBackplane() {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (m_options.strBackplane.size() >= sizeof address.sun_path)
      Fail("backplane path too long: " + m_options.strBackplane);
    std::strcpy(address.sun_path, m_options.strBackplane.c_str());
    struct stat st {};
    if (lstat(address.sun_path, &st) == 0 && S_ISSOCK(st.st_mode)) unlink(address.sun_path);
    m_nBackplaneFd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_nBackplaneFd < 0 || bind(m_nBackplaneFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
      FailErrno("backplane " + m_options.strBackplane);
  }

  void Link() {
    const std::string strTemporary = m_options.strLink + ".tmp";
    unlink(strTemporary.c_str());
    if (symlink(m_strSlave.c_str(), strTemporary.c_str()) != 0 ||
        rename(strTemporary.c_str(), m_options.strLink.c_str()) != 0)
      FailErrno("link " + m_options.strLink);
  }

  int PollTimeout() const {
    if (!m_bStreaming || !m_strPending.empty()) return -1;
    return m_options.nRate == 0 ? 0 : 1;
  }

  void ReadBackplane() {
    char abyDatagram[16];
    ssize_t nSize = 0;
    while ((nSize = recv(m_nBackplaneFd, abyDatagram, sizeof abyDatagram, 0)) >= 0) {
      if (const uint8_t nSlot = DecodeSlot(abyDatagram, static_cast<size_t>(nSize)); nSlot != 0)
        m_bus.SetActiveSlot(nSlot);
    }
  }

  void ReadMaster() {
    char abyData[4096];
    const ssize_t nRead = read(m_nMasterFd, abyData, sizeof abyData);
    for (ssize_t i = 0; i < nRead; ++i) {
      const char ch = abyData[i];
      if (ch == '\r') {
        HandleLine();
        m_strLine.clear();
      } else if (ch != '\n' && m_strLine.size() < kMaxCommandLine) {
        m_strLine += ch;
      }
    }
  }

  void HandleLine() {
    if (m_options.bStream && m_strLine == "STREAM") {
      m_bStreaming = true;
      m_nStreamed = 0;
      m_streamStart = Clock::now();
      return;
    }
    m_strPending += m_bus.Answer(m_strLine);
  }

  void Stream() {
    if (!m_bStreaming) return;
    uint64_t nDue = m_options.nCount;
    if (m_options.nRate != 0) {
      const auto elapsed = std::chrono::duration<double>(Clock::now() - m_streamStart).count();
      nDue = std::min<uint64_t>(nDue, static_cast<uint64_t>(elapsed * static_cast<double>(m_options.nRate)));
    }
    if (m_strPending.size() < kStreamAhead && nDue > m_nStreamed) {
      const size_t nMore = static_cast<size_t>(std::min<uint64_t>(nDue - m_nStreamed, kStreamAhead));
      const size_t nOld = m_strPending.size();
      m_strPending.resize(nOld + nMore);
      m_pattern.Fill(reinterpret_cast<uint8_t*>(m_strPending.data() + nOld), nMore);
      m_nStreamed += nMore;
    }
    if (m_nStreamed >= m_options.nCount) m_bStreaming = false;
  }

  void WritePending() {
    if (m_strPending.empty()) return;
    const ssize_t nWritten = write(m_nMasterFd, m_strPending.data(), m_strPending.size());
    if (nWritten > 0) m_strPending.erase(0, static_cast<size_t>(nWritten));
  }

  SOptions m_options;
  CSimBus m_bus;
  CStreamPattern m_pattern;
  int m_nSignalFd = -1;
  int m_nMasterFd = -1;
  int m_nSlaveFd = -1;
  int m_nBackplaneFd = -1;
  std::string m_strSlave;
  std::string m_strLine;
  std::string m_strPending;
  bool m_bStreaming = false;
  uint64_t m_nStreamed = 0;
  Clock::time_point m_streamStart;
};

}  // namespace

int main(int argc, char** argv) {
  CSimulator simulator(ParseOptions(argc, argv));
  simulator.SetUp();
  simulator.Run();
  simulator.TearDown();
  return 0;
}
