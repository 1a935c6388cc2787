// Opening a port on another machine: a TCP connection to ser2net or a server like it, with
// the settings sent through RFC 2217 (rfc2217://) or left to the server (tcp://). The reader,
// writer and buffers are those of a device node.
#include <unistd.h>

#include <chrono>

#include "Capture.h"
#include "Connect.h"
#include "Messages.h"
#include "NetworkTarget.h"
#include "Port.h"
#include "RemoteLine.h"
#include "SystemText.h"
#include "TobrelResults.h"

namespace tobrel {

namespace {

// SET-CONTROL values of the line options. Without flow= the port opens without flow control, as
// a device node does.
std::vector<uint8_t> ControlRequest(const SLineOptions& options) {
  const EFlow flow = options.flow.value_or(EFlow::None);
  std::vector<uint8_t> vecControl = {static_cast<uint8_t>(flow == EFlow::RtsCts ? 3 : flow == EFlow::XonXoff ? 2 : 1)};
  if (options.bDtr) vecControl.push_back(*options.bDtr ? 8 : 9);
  if (options.bRts) vecControl.push_back(*options.bRts ? 11 : 12);
  return vecControl;
}

std::string JoinNames(const std::vector<std::string>& vecNames) {
  std::string strText;
  for (size_t i = 0; i < vecNames.size(); ++i) {
    if (i != 0) strText += i + 1 == vecNames.size() ? " and " : ", ";
    strText += vecNames[i];
  }
  return strText;
}

}  // namespace

uint32_t CPort::OpenNetwork(const SLineFlags& flags) {
  const auto deadline = std::chrono::steady_clock::now() + kReachTime;
  const std::string strPrefix = PortPrefix(m_nPort);
  SNetworkTarget network;
  std::string strProblem;
  if (!ParseNetworkTarget(m_strDevice, network, strProblem))
    return Report(TOBREL_ERR_NO_DEVICE, strPrefix + m_strDevice + " is no network port: " + strProblem +
                                            ". Write rfc2217://HOST:PORT or tcp://HOST:PORT in " +
                                            PortVariable(m_nPort) + ".");
  std::string strReason;
  m_nFd = ConnectWithin(network, deadline, strReason);
  if (m_nFd < 0)
    return Report(TOBREL_ERR_OPEN_COM, strPrefix + "could not reach " + network.Where() + ": " + strReason +
                                           ". Check that the server runs and shares the port there, then press "
                                           "Open Com again.");
  m_strServer = network.Where();

  std::vector<uint8_t> vecEarly;
  std::string strAnswered;
  uint32_t nResult = TOBREL_OK;
  if (!network.bRfc2217) {
    strAnswered = ", raw TCP: the dialog's settings were not sent, the server's own apply";
    if (const std::string strOptions = DescribeOptions(m_options); !strOptions.empty())
      strAnswered += "; nor were " + strOptions;
  } else {
    m_pTelnet = std::make_unique<CTelnetDecoder>();
    const SRemoteRequest request{RemoteSettings(flags), ControlRequest(m_options)};
    SRemoteAnswer answer;
    if (!NegotiateRemoteLine(m_nFd, *m_pTelnet, request, deadline, answer, vecEarly, strReason)) {
      nResult = Report(TOBREL_ERR_OPEN_COM, strPrefix + "the connection to " + m_strServer +
                                                " failed while the settings were sent: " + strReason +
                                                ". Press Open Com to try again.");
    } else if (!answer.bComPort) {
      strAnswered = ", which takes no serial settings (no RFC 2217): the server's own apply";
    } else {
      const tcflag_t nCflag = AnsweredCflag(request.settings, answer.settings);
      const uint32_t nBaud = answer.settings.nBaud != 0 ? answer.settings.nBaud : flags.nBaud;
      if (!answer.strSignature.empty()) strAnswered = " (" + answer.strSignature + ")";
      strAnswered += ", " + DescribeSettings(nCflag, nBaud);
      if (const std::string strOptions = DescribeOptions(m_options); !strOptions.empty())
        strAnswered += ", " + strOptions;
      if (!answer.vecUnconfirmed.empty())
        strAnswered += "; the server did not confirm " + JoinNames(answer.vecUnconfirmed) + " within " +
                       std::to_string(kConfirmTime.count() / 1000) + " s";
      // RFC 2217 has no command for it: the server drops DTR at close as it is set up to.
      if (m_options.bHangup) strAnswered += "; hangup is left to the server";
      if (const std::string strMismatch = DescribeMismatch(flags, nCflag, nBaud); !strMismatch.empty())
        nResult = Report(TOBREL_ERR_SETTINGS_REFUSED, strPrefix + "the server at " + m_strServer +
                                                          " did not take the settings: " + strMismatch + ". " +
                                                          kSettingsAdvice);
    }
    // From here on the reader decodes alone; the server's later notices are not asked for.
    m_pTelnet->StopKeeping();
  }
  if (nResult != TOBREL_OK) {
    close(m_nFd);
    m_nFd = -1;
    return nResult;
  }
  KeepFlags(flags);
  m_strOpened = m_strDevice + strAnswered;
  // What the device said while the settings went out comes first, in the buffer and the file.
  m_ring.Reset();
  m_ring.Append(vecEarly.data(), vecEarly.size());
  CaptureEvent(m_nPort, "opened " + m_strOpened);
  if (!vecEarly.empty()) CaptureReceived(m_nPort, vecEarly.data(), vecEarly.size());
  if (nResult = StartTransfer(); nResult != TOBREL_OK) CaptureEvent(m_nPort, "closed");
  return nResult;
}

}  // namespace tobrel
