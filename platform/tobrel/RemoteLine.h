// The serial line of a network port through RFC 2217: the client offers COM-PORT-OPTION and
// binary transmission, sends the settings and reads what the server says it set. A server that
// does not confirm a setting within a second is not waited on longer.
#pragma once

#include <termios.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "Settings.h"
#include "Telnet.h"

namespace tobrel {

// The settings in RFC 2217's terms (SET-BAUDRATE, SET-DATASIZE, SET-PARITY, SET-STOPSIZE).
struct SRemoteSettings {
  uint32_t nBaud = 0;
  uint8_t nDataSize = 0;
  uint8_t nParity = 0;    // 1 none, 2 odd, 3 even, 4 mark, 5 space
  uint8_t nStopSize = 0;  // 1 one, 2 two, 3 one and a half
};

struct SRemoteRequest {
  SRemoteSettings settings;
  std::vector<uint8_t> vecControl;  // SET-CONTROL values: flow control, DTR, RTS
};

struct SRemoteAnswer {
  std::string strSignature;  // the server's name for itself, when it gave one
  bool bComPort = false;     // the server took COM-PORT-OPTION
  SRemoteSettings settings;  // as confirmed; 0 where not
  std::vector<uint8_t> vecControl;
  // What the server did not confirm in time ("DTR", "parity").
  std::vector<std::string> vecUnconfirmed;
};

constexpr std::chrono::milliseconds kConfirmTime{1000};

SRemoteSettings RemoteSettings(const SLineFlags& flags);
// The c_cflag bits of confirmed settings, the asked ones standing in where nothing was confirmed.
tcflag_t AnsweredCflag(const SRemoteSettings& asked, const SRemoteSettings& answered);

// Negotiates on the connected socket, then sends the request and collects the answers, until
// all came or kConfirmTime (at most the deadline) passed. Data that arrives meanwhile is kept in
// vecData. False and why when the connection fails.
bool NegotiateRemoteLine(int nFd, CTelnetDecoder& decoder, const SRemoteRequest& request,
                         std::chrono::steady_clock::time_point deadline, SRemoteAnswer& answer,
                         std::vector<uint8_t>& vecData, std::string& strReason);

}  // namespace tobrel
