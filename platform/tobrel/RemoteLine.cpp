#include "RemoteLine.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "SystemText.h"

namespace tobrel {

using namespace telnet;

namespace {

using Clock = std::chrono::steady_clock;

// COM-PORT-OPTION commands; the server answers each with the command plus 100.
constexpr uint8_t kSignature = 0;
constexpr uint8_t kSetBaud = 1;
constexpr uint8_t kSetDataSize = 2;
constexpr uint8_t kSetParity = 3;
constexpr uint8_t kSetStopSize = 4;
constexpr uint8_t kSetControl = 5;
constexpr uint8_t kServerOffset = 100;

// The options this client takes on, both ways.
bool Wanted(uint8_t nOption) { return nOption == kBinary || nOption == kSuppressGoAhead || nOption == kComPort; }

// SET-CONTROL values come in groups; an answer confirms the request of its group.
int ControlGroup(uint8_t nValue) {
  if (nValue >= 1 && nValue <= 3) return 0;    // flow control
  if (nValue >= 7 && nValue <= 9) return 1;    // DTR
  if (nValue >= 10 && nValue <= 12) return 2;  // RTS
  return -1;
}

const char* ControlName(uint8_t nValue) {
  switch (ControlGroup(nValue)) {
    case 0:
      return "flow control";
    case 1:
      return "DTR";
    default:
      return "RTS";
  }
}

class CExchange {
 public:
  CExchange(int nFd, CTelnetDecoder& decoder, std::vector<uint8_t>& vecData)
      : m_nFd(nFd), m_decoder(decoder), m_vecData(vecData) {}

  bool Send(const std::vector<uint8_t>& vecBytes, Clock::time_point deadline) {
    size_t nSent = 0;
    while (nSent < vecBytes.size()) {
      const ssize_t nDone = write(m_nFd, vecBytes.data() + nSent, vecBytes.size() - nSent);
      if (nDone > 0) {
        nSent += static_cast<size_t>(nDone);
        continue;
      }
      if (nDone < 0 && errno == EINTR) continue;
      if (nDone < 0 && errno != EAGAIN) return Fail(errno);
      if (!Wait(POLLOUT, deadline)) return Fail(ETIMEDOUT);
    }
    return true;
  }

  // Reads until bDone says enough or the deadline; false only when the connection failed.
  template <typename FDone>
  bool ReadUntil(Clock::time_point deadline, FDone bDone, SRemoteAnswer& answer) {
    uint8_t abBuffer[4096];
    while (!bDone()) {
      if (!Wait(POLLIN, deadline)) return m_strReason.empty();
      const ssize_t nRead = read(m_nFd, abBuffer, sizeof abBuffer);
      if (nRead == 0) {
        m_strReason = "the server ended the connection";
        return false;
      }
      if (nRead < 0) {
        if (errno == EINTR || errno == EAGAIN) continue;
        return Fail(errno);
      }
      const size_t nData = m_decoder.Decode(abBuffer, static_cast<size_t>(nRead));
      m_vecData.insert(m_vecData.end(), abBuffer, abBuffer + nData);
      for (const auto& command : m_decoder.TakeCommands()) {
        if (!Take(command, answer, deadline)) return false;
      }
    }
    return true;
  }

  const std::string& Reason() const { return m_strReason; }
  bool ComPortTold() const { return m_bComPortTold; }
  bool SignatureTold() const { return m_bSignatureTold; }

 private:
  bool Fail(int nError) {
    m_strReason = SystemError(nError);
    return false;
  }

  // False at the deadline (m_strReason stays empty) or on a failed poll.
  bool Wait(short nEvents, Clock::time_point deadline) {
    for (;;) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
      if (left.count() <= 0) return false;
      pollfd pfd{m_nFd, nEvents, 0};
      const int nReady = poll(&pfd, 1, static_cast<int>(left.count()));
      if (nReady > 0) return true;
      if (nReady < 0 && errno != EINTR) return Fail(errno);
    }
  }

  // Answers what the server asks of options the client did not offer, and notes its answers.
  bool Take(const CTelnetDecoder::SCommand& command, SRemoteAnswer& answer, Clock::time_point deadline) {
    if (command.nOption == kComPort && (command.nVerb == kDo || command.nVerb == kDont)) {
      answer.bComPort = command.nVerb == kDo;
      m_bComPortTold = true;
    }
    if ((command.nVerb == kDo || command.nVerb == kWill) && !Wanted(command.nOption))
      return Send({kIac, command.nVerb == kDo ? kWont : kDont, command.nOption}, deadline);
    if (command.nVerb != kSb || command.nOption != kComPort || command.vecData.empty()) return true;
    const uint8_t nCode = command.vecData[0];
    const std::vector<uint8_t> vecValue(command.vecData.begin() + 1, command.vecData.end());
    SRemoteSettings& settings = answer.settings;
    if (nCode == kServerOffset + kSignature) {
      answer.strSignature.assign(vecValue.begin(), vecValue.end());
      m_bSignatureTold = true;
    } else if (nCode == kServerOffset + kSetBaud && vecValue.size() == 4) {
      settings.nBaud =
          uint32_t{vecValue[0]} << 24 | uint32_t{vecValue[1]} << 16 | uint32_t{vecValue[2]} << 8 | vecValue[3];
    } else if (vecValue.size() == 1) {
      if (nCode == kServerOffset + kSetDataSize) settings.nDataSize = vecValue[0];
      if (nCode == kServerOffset + kSetParity) settings.nParity = vecValue[0];
      if (nCode == kServerOffset + kSetStopSize) settings.nStopSize = vecValue[0];
      if (nCode == kServerOffset + kSetControl) answer.vecControl.push_back(vecValue[0]);
    }
    return true;
  }

  int m_nFd;
  CTelnetDecoder& m_decoder;
  std::vector<uint8_t>& m_vecData;
  std::string m_strReason;
  bool m_bComPortTold = false;
  bool m_bSignatureTold = false;
};

void AddCommand(std::vector<uint8_t>& vecOut, uint8_t nCommand, const std::vector<uint8_t>& vecValue) {
  vecOut.insert(vecOut.end(), {kIac, kSb, kComPort, nCommand});
  EscapeIac(vecValue.data(), vecValue.size(), vecOut);
  vecOut.insert(vecOut.end(), {kIac, kSe});
}

bool HasGroup(const std::vector<uint8_t>& vecControl, uint8_t nValue) {
  return std::any_of(vecControl.begin(), vecControl.end(),
                     [&](uint8_t nAnswer) { return ControlGroup(nAnswer) == ControlGroup(nValue); });
}

}  // namespace

SRemoteSettings RemoteSettings(const SLineFlags& flags) {
  SRemoteSettings settings;
  settings.nBaud = flags.nBaud;
  switch (flags.nCflag & CSIZE) {
    case CS5:
      settings.nDataSize = 5;
      break;
    case CS6:
      settings.nDataSize = 6;
      break;
    case CS7:
      settings.nDataSize = 7;
      break;
    default:
      settings.nDataSize = 8;
  }
  if (!(flags.nCflag & PARENB))
    settings.nParity = 1;
  else if (flags.nCflag & CMSPAR)
    settings.nParity = (flags.nCflag & PARODD) ? 4 : 5;
  else
    settings.nParity = (flags.nCflag & PARODD) ? 2 : 3;
  if (!(flags.nCflag & CSTOPB))
    settings.nStopSize = 1;
  else
    settings.nStopSize = settings.nDataSize == 5 ? 3 : 2;
  return settings;
}

tcflag_t AnsweredCflag(const SRemoteSettings& asked, const SRemoteSettings& answered) {
  const uint8_t nDataSize = answered.nDataSize != 0 ? answered.nDataSize : asked.nDataSize;
  const uint8_t nParity = answered.nParity != 0 ? answered.nParity : asked.nParity;
  const uint8_t nStopSize = answered.nStopSize != 0 ? answered.nStopSize : asked.nStopSize;
  tcflag_t nCflag = nDataSize == 5 ? CS5 : nDataSize == 6 ? CS6 : nDataSize == 7 ? CS7 : CS8;
  if (nParity == 2) nCflag |= PARENB | PARODD;
  if (nParity == 3) nCflag |= PARENB;
  if (nParity == 4) nCflag |= PARENB | CMSPAR | PARODD;
  if (nParity == 5) nCflag |= PARENB | CMSPAR;
  if (nStopSize != 1) nCflag |= CSTOPB;
  return nCflag;
}

bool NegotiateRemoteLine(int nFd, CTelnetDecoder& decoder, const SRemoteRequest& request, Clock::time_point deadline,
                         SRemoteAnswer& answer, std::vector<uint8_t>& vecData, std::string& strReason) {
  answer = {};
  CExchange exchange(nFd, decoder, vecData);
  const auto confirmBy = [&] { return std::min(deadline, Clock::now() + kConfirmTime); };
  const auto fail = [&] {
    strReason = exchange.Reason();
    return false;
  };
  const std::vector<uint8_t> vecOffer = {kIac, kWill, kComPort,        kIac, kWill, kBinary,
                                         kIac, kDo,   kBinary,         kIac, kWill, kSuppressGoAhead,
                                         kIac, kDo,   kSuppressGoAhead};
  if (!exchange.Send(vecOffer, confirmBy())) return fail();
  if (!exchange.ReadUntil(
          confirmBy(), [&] { return exchange.ComPortTold(); }, answer))
    return fail();
  if (!answer.bComPort) return true;

  const SRemoteSettings& asked = request.settings;
  std::vector<uint8_t> vecSettings;
  AddCommand(vecSettings, kSignature, {});
  AddCommand(vecSettings, kSetBaud,
             {static_cast<uint8_t>(asked.nBaud >> 24), static_cast<uint8_t>(asked.nBaud >> 16),
              static_cast<uint8_t>(asked.nBaud >> 8), static_cast<uint8_t>(asked.nBaud)});
  AddCommand(vecSettings, kSetDataSize, {asked.nDataSize});
  AddCommand(vecSettings, kSetParity, {asked.nParity});
  AddCommand(vecSettings, kSetStopSize, {asked.nStopSize});
  for (const uint8_t nControl : request.vecControl) AddCommand(vecSettings, kSetControl, {nControl});
  if (!exchange.Send(vecSettings, confirmBy())) return fail();

  const SRemoteSettings& told = answer.settings;
  const auto allTold = [&] {
    return exchange.SignatureTold() && told.nBaud != 0 && told.nDataSize != 0 && told.nParity != 0 &&
           told.nStopSize != 0 &&
           std::all_of(request.vecControl.begin(), request.vecControl.end(),
                       [&](uint8_t nControl) { return HasGroup(answer.vecControl, nControl); });
  };
  if (!exchange.ReadUntil(confirmBy(), allTold, answer)) return fail();
  if (told.nBaud == 0) answer.vecUnconfirmed.emplace_back("the baud rate");
  if (told.nDataSize == 0) answer.vecUnconfirmed.emplace_back("data bits");
  if (told.nParity == 0) answer.vecUnconfirmed.emplace_back("parity");
  if (told.nStopSize == 0) answer.vecUnconfirmed.emplace_back("stop bits");
  for (const uint8_t nControl : request.vecControl) {
    if (!HasGroup(answer.vecControl, nControl)) answer.vecUnconfirmed.emplace_back(ControlName(nControl));
  }
  return true;
}

}  // namespace tobrel
