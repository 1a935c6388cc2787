#include "TmuxSession.h"

#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

std::string Quoted(const std::string& str) {
  std::string out = "'";
  for (char c : str) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

namespace {
// Each session its own server: one being killed may still hold its socket.
int g_nSessions = 0;
}  // namespace

CTmuxSession::CTmuxSession(const std::string& strCommand, int nCols, int nRows)
    : m_strSocket("quorvel-test-" + std::to_string(getpid()) + "-" + std::to_string(++g_nSessions)) {
  Tmux("new-session -d -s t -x " + std::to_string(nCols) + " -y " + std::to_string(nRows) + " " + Quoted(strCommand));
}

CTmuxSession::~CTmuxSession() { Tmux("kill-server"); }

std::string CTmuxSession::Tmux(const std::string& strArgs) const {
  std::string strCommand = "tmux -u -f /dev/null -L " + m_strSocket + " " + strArgs + " 2>/dev/null";
  std::string out;
  if (FILE* p = popen(strCommand.c_str(), "r")) {
    std::array<char, 4096> buffer;
    while (size_t n = fread(buffer.data(), 1, buffer.size(), p)) out.append(buffer.data(), n);
    pclose(p);
  }
  return out;
}

void CTmuxSession::Keys(const std::vector<std::string>& keys) const {
  for (const std::string& key : keys) {
    Tmux("send-keys -t t " + key);
    // One key at a time, as fingers do, so none is read as part of another.
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
  }
}

void CTmuxSession::Type(const std::string& strText) const { Tmux("send-keys -t t -l " + Quoted(strText)); }

void CTmuxSession::Paste(const std::string& strText) const {
  std::string strFile = "/tmp/" + m_strSocket + "-paste";
  std::ofstream(strFile, std::ios::binary) << strText;
  Tmux("load-buffer -b p " + strFile);
  Tmux("paste-buffer -p -d -b p -t t");
  std::remove(strFile.c_str());
}

void CTmuxSession::Click(int x, int y, int nButton) const {
  // Press and release, in the encoding the program asked the terminal for.
  bool bSgr = Format("#{mouse_sgr_flag}") == "1";
  for (bool bPress : {true, false}) {
    std::string strReport;
    if (bSgr) {
      strReport = "\033[<" + std::to_string(nButton) + ";" + std::to_string(x + 1) + ";" + std::to_string(y + 1) +
                  (bPress ? "M" : "m");
    } else {
      strReport = "\033[M";
      for (int n : {bPress ? nButton : 3, x + 1, y + 1}) strReport += static_cast<char>(32 + n);
    }
    Tmux("send-keys -t t -l " + Quoted(strReport));
  }
}

std::string CTmuxSession::Screen(bool bColours) const {
  return Tmux(std::string("capture-pane -p -t t") + (bColours ? " -e" : ""));
}

std::vector<std::string> CTmuxSession::Rows() const {
  std::vector<std::string> rows;
  std::istringstream in(Screen());
  for (std::string line; std::getline(in, line);) rows.push_back(line);
  return rows;
}

std::string CTmuxSession::Format(const std::string& strFormat) const {
  std::string out = Tmux("display-message -p -t t " + Quoted(strFormat));
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

bool CTmuxSession::WaitFor(const std::function<bool(const std::string&)>& pred, int nMs, bool bColours) const {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(nMs);
  while (true) {
    if (pred(Screen(bColours))) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

bool CTmuxSession::WaitForText(const std::string& strText, int nMs) const {
  return WaitFor([&](const std::string& s) { return s.find(strText) != std::string::npos; }, nMs);
}

void CTmuxSession::Resize(int nCols, int nRows) const {
  Tmux("resize-window -t t -x " + std::to_string(nCols) + " -y " + std::to_string(nRows));
}

pid_t CTmuxSession::ProgramPid() const {
  std::string strShell = Format("#{pane_pid}");
  std::ifstream in("/proc/" + strShell + "/task/" + strShell + "/children");
  pid_t nPid = -1;
  if (!(in >> nPid)) return -1;
  return nPid;
}

void CTmuxSession::KillPane() const { Tmux("kill-pane -t t"); }
