#include "Settings.h"

#include <array>
#include <utility>

#include "TobrelResults.h"

namespace tobrel {

namespace {

constexpr std::array<std::pair<uint32_t, speed_t>, 30> kStandardSpeeds{{
    {50, B50},           {75, B75},           {110, B110},         {134, B134},         {150, B150},
    {200, B200},         {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
    {2400, B2400},       {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
    {57600, B57600},     {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
    {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
}};

tcflag_t SizeFlag(int8_t nDataBits) {
  switch (nDataBits) {
    case 5:
      return CS5;
    case 6:
      return CS6;
    case 7:
      return CS7;
    default:
      return CS8;
  }
}

unsigned DataBitsOf(tcflag_t nCflag) {
  switch (nCflag & CSIZE) {
    case CS5:
      return 5;
    case CS6:
      return 6;
    case CS7:
      return 7;
    default:
      return 8;
  }
}

const char* ParityOf(tcflag_t nCflag) {
  if (!(nCflag & PARENB)) return "no parity";
  if (nCflag & CMSPAR) return (nCflag & PARODD) ? "mark parity" : "space parity";
  return (nCflag & PARODD) ? "odd parity" : "even parity";
}

const char* StopBitsOf(tcflag_t nCflag) {
  if (!(nCflag & CSTOPB)) return "1 stop bit";
  return (nCflag & CSIZE) == CS5 ? "1.5 stop bits" : "2 stop bits";
}

}  // namespace

uint32_t MapLineSettings(const SLineSettings& settings, SLineFlags& flags) {
  if (settings.nBaud == 0) return TOBREL_ERR_BAUD;
  if (settings.nDataBits < 5 || settings.nDataBits > 8) return TOBREL_ERR_DATA_BITS;
  if (settings.nParity < 0 || settings.nParity > 3) return TOBREL_ERR_PARITY;
  if (settings.nStopBits < 0 || settings.nStopBits > 2) return TOBREL_ERR_STOP_BITS;
  // The UART makes CSTOPB mean 1.5 stop bits with 5 data bits and 2 with any other size,
  // so 1.5 exists only with 5 data bits and 2 only without.
  if (settings.nStopBits == 1 && settings.nDataBits != 5) return TOBREL_ERR_STOP_BITS_UNSUPPORTED;
  if (settings.nStopBits == 2 && settings.nDataBits == 5) return TOBREL_ERR_TWO_STOP_FIVE_DATA;

  tcflag_t nCflag = CREAD | CLOCAL | SizeFlag(settings.nDataBits);
  switch (settings.nParity) {
    case 1:
      nCflag |= PARENB | PARODD;
      break;
    case 2:
      nCflag |= PARENB;
      break;
    case 3:
      nCflag |= PARENB | CMSPAR;
      break;
    default:
      break;
  }
  if (settings.nStopBits != 0) nCflag |= CSTOPB;

  flags.nCflag = nCflag;
  flags.nBaud = settings.nBaud;
  flags.nSpeed = B38400;
  flags.bCustomSpeed = true;
  for (const auto& [nRate, nSpeed] : kStandardSpeeds) {
    if (nRate == settings.nBaud) {
      flags.nSpeed = nSpeed;
      flags.bCustomSpeed = false;
    }
  }
  flags.nBitsPerChar = 1 + static_cast<uint32_t>(settings.nDataBits) + (settings.nParity != 0 ? 1 : 0) +
                       (settings.nStopBits == 0 ? 1 : 2);
  return TOBREL_OK;
}

std::string DescribeSettings(tcflag_t nCflag, uint32_t nBaud) {
  return std::to_string(nBaud) + " baud, " + std::to_string(DataBitsOf(nCflag)) + " data bits, " + ParityOf(nCflag) +
         ", " + StopBitsOf(nCflag);
}

std::string DescribeMismatch(const SLineFlags& wanted, tcflag_t nCflagRead, uint32_t nBaudRead) {
  const uint64_t nTolerance = wanted.nBaud / 50;
  const uint64_t nDifference = nBaudRead > wanted.nBaud ? nBaudRead - wanted.nBaud : wanted.nBaud - nBaudRead;
  if ((nCflagRead & kComparedCflag) == (wanted.nCflag & kComparedCflag) && nDifference <= nTolerance) return {};
  return "asked for " + DescribeSettings(wanted.nCflag, wanted.nBaud) + ", the device has " +
         DescribeSettings(nCflagRead, nBaudRead);
}

}  // namespace tobrel
