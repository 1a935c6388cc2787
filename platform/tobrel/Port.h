// One open port: the device, its lock, its settings and its background reader and writer;
// and the table of the open ports that the C functions look them up in.
#pragma once

#include <termios.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "PortMap.h"
#include "Receiver.h"
#include "RingBuffer.h"
#include "Settings.h"
#include "Telnet.h"
#include "Writer.h"

namespace tobrel {

class CPort {
 public:
  explicit CPort(uint8_t nPort);
  CPort(const CPort&) = delete;
  CPort& operator=(const CPort&) = delete;
  ~CPort();

  // Opens the target's device afresh with the given settings; TOBREL_OK or a reported failure.
  uint32_t Open(const SPortTarget& target, const SLineFlags& flags);
  // New settings and line options for the open device.
  uint32_t Apply(const SLineFlags& flags, const SLineOptions& options);
  // Gives queued bytes up to a second to go out, stops the reader and writer, releases the
  // lock and closes the device; answers the count of queued bytes dropped. Harmless twice.
  uint64_t Close();

  uint8_t Number() const { return m_nPort; }
  int Fd() const { return m_nFd; }
  // The device as the user knows it ("/dev/ttyUSB0"), and the path that was opened.
  const std::string& Device() const { return m_strDevice; }
  const std::string& Path() const { return m_strPath; }
  // A network port's target with what its server answered, for the success message.
  const std::string& Opened() const { return m_strOpened; }
  // A port on another machine (rfc2217:// or tcp://), and that machine ("lab-pi:3001").
  bool IsNetwork() const { return !m_strServer.empty(); }
  const std::string& Server() const { return m_strServer; }
  // Why the connection ended ("the server ended it"), once it has.
  std::string ClosedReason() const;
  bool IsGone() const { return m_ring.IsGone(); }
  // The device hung up, even if the reader has not seen it yet.
  bool IsHungUp() const;
  CRingBuffer& Ring() { return m_ring; }
  CReceiver& Receiver() { return m_receiver; }
  CWriter& Writer() { return m_writer; }
  const CWriter& Writer() const { return m_writer; }
  // Held while the device is written, so that Close cannot pull it away underneath.
  std::mutex& IoMutex() { return m_mtxIo; }

 private:
  // "COM3: /dev/ttyUSB0 (FTDI FT232R USB UART, serial A6008isP)", for messages.
  std::string Where() const;
  uint32_t ReportOpenError(int nErrno) const;
  // Sets DTR and RTS as the options ask; 0 or an errno value.
  int SetModemLines() const;
  // Connects to the server and sends the settings; in NetworkPort.cpp.
  uint32_t OpenNetwork(const SLineFlags& flags);
  // Starts the reader and writer on the open fd; on failure closes it.
  uint32_t StartTransfer();
  // The settings in force, by which the writer judges a stall.
  void KeepFlags(const SLineFlags& flags);

  uint8_t m_nPort;
  int m_nFd = -1;
  bool m_bPseudoTerminal = false;
  std::string m_strDevice;
  std::string m_strPath;
  std::string m_strDescription;
  std::string m_strOpened;
  std::string m_strServer;
  std::unique_ptr<CTelnetDecoder> m_pTelnet;
  SLineOptions m_options;
  SLineFlags m_flags{};
  termios m_tioBefore{};  // the device's modes as found, given back at close
  CRingBuffer m_ring;
  CReceiver m_receiver;
  CWriter m_writer;
  std::mutex m_mtxIo;
};

// The port's device went away; strWhile says during what (" before the reply ended"), when
// that matters.
uint32_t ReportDisconnected(const CPort& port, const std::string& strWhile = {});

// The open port, or null; for queries, which report nothing.
std::shared_ptr<CPort> FindPort(uint8_t nPort);
// TOBREL_OK and the open port, or TOBREL_ERR_PORT_NUMBER / TOBREL_ERR_NOT_OPEN (reported).
uint32_t LookUpPort(uint8_t nPort, std::shared_ptr<CPort>& pPort);

}  // namespace tobrel
