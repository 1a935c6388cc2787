// A program run in a detached tmux session of its own, typed at and read
// the way a person at that terminal would: keys in, the screen's cells out.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

class CTmuxSession {
 public:
  // Runs strCommand under sh in a window of nCols x nRows.
  CTmuxSession(const std::string& strCommand, int nCols, int nRows);
  ~CTmuxSession();
  CTmuxSession(const CTmuxSession&) = delete;
  CTmuxSession& operator=(const CTmuxSession&) = delete;

  // Keys by tmux's names ("Tab", "Enter", "Up", "BTab", "F4", "M-Down").
  void Keys(const std::vector<std::string>& keys) const;
  // Text typed as it is.
  void Type(const std::string& strText) const;
  // Text pasted as a terminal pastes it, bracketed where the program asked
  // for that, its line breaks as CR.
  void Paste(const std::string& strText) const;
  // A mouse click at a cell, as an xterm reports it (SGR encoding); nButton
  // 0 is the left button, 2 the right.
  void Click(int x, int y, int nButton = 0) const;

  // The screen, one line a row; with bColours, with the colours' sequences.
  std::string Screen(bool bColours = false) const;
  std::vector<std::string> Rows() const;
  // A tmux format of the pane, such as "#{pane_title}".
  std::string Format(const std::string& strFormat) const;
  bool WaitFor(const std::function<bool(const std::string&)>& pred, int nMs = 5000, bool bColours = false) const;
  bool WaitForText(const std::string& strText, int nMs = 5000) const;

  void Resize(int nCols, int nRows) const;
  // The program the pane's shell runs, or -1 once there is none.
  pid_t ProgramPid() const;
  void KillPane() const;

 private:
  std::string Tmux(const std::string& strArgs) const;
  std::string m_strSocket;
};

// Single quotes for sh.
std::string Quoted(const std::string& str);
