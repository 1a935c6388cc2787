// Signals a view handles between its events rather than in a handler: each
// one's number is written to a pipe whose reading end the view's loop
// watches (poll, or a socket notifier). One pipe at a time.
#pragma once

#include <initializer_list>
#include <vector>

namespace view {

class CSignalPipe {
 public:
  // Opens the pipe and routes the signals to it.
  explicit CSignalPipe(std::initializer_list<int> signals);
  // The signals take their default course again.
  ~CSignalPipe();
  CSignalPipe(const CSignalPipe&) = delete;
  CSignalPipe& operator=(const CSignalPipe&) = delete;

  int Fd() const;
  // The next signal waiting in the pipe, 0 when none is.
  int Next();

 private:
  std::vector<int> m_vecSignals;
};

}  // namespace view
