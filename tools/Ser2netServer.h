// A real ser2net on the loopback address in front of a device, for the tests and benchmarks of
// network ports.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

// A TCP port on 127.0.0.1 that nothing listens on just now.
uint16_t FreeTcpPort();

class CSer2net {
 public:
  enum class EAccepter { Rfc2217, RawTcp };
  // Shares strDevice on a free port, speaking telnet with RFC 2217 or raw TCP.
  explicit CSer2net(const std::string& strDevice, EAccepter accepter = EAccepter::Rfc2217);
  ~CSer2net();
  CSer2net(const CSer2net&) = delete;
  CSer2net& operator=(const CSer2net&) = delete;

  // False when the server does not listen within 10 s.
  bool Start();
  void Stop();
  uint16_t Port() const { return m_nPort; }
  // "rfc2217://127.0.0.1:PORT" or "tcp://127.0.0.1:PORT".
  std::string Url() const;

 private:
  bool Listening() const;

  std::string m_strDir;  // its configuration and log, removed with it
  std::string m_strDevice;
  EAccepter m_accepter;
  uint16_t m_nPort;
  pid_t m_nPid = -1;
};
