// Slot switching. Without QUORVEL_BACKPLANE there is no backplane: a switch
// then changes nothing and is no failure. With it, a switch that cannot reach
// the backplane fails, and its message says what the variable names instead.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "LastMessage.h"
#include "PallixBackplane.h"
#include "PallixSDK.h"
#include "Phrases.h"
#include "SystemText.h"

namespace {

thread_local CLastMessage t_lastMessage;

uint32_t Report(uint32_t nResult, std::string strMessage) {
  return t_lastMessage.Report(nResult, std::move(strMessage));
}

// Why the path cannot take the slot's datagram; empty when it took it.
std::string TellBackplane(const std::string& strPath, uint8_t nSlot) {
  sockaddr_un address{};
  if (strPath.size() >= sizeof address.sun_path) {
    return "is " + std::to_string(strPath.size()) + " bytes long, longer than a socket address holds (" +
           std::to_string(sizeof address.sun_path - 1) + ")";
  }
  struct stat st {};
  if (stat(strPath.c_str(), &st) != 0)
    return errno == ENOENT ? "does not exist" : "cannot be reached (" + SystemError(errno) + ")";
  if (S_ISDIR(st.st_mode)) return "is a directory, not a socket";
  if (S_ISREG(st.st_mode)) return "is a regular file, not a socket";
  if (!S_ISSOCK(st.st_mode)) return "is not a socket";

  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, strPath.data(), strPath.size());
  const int nFd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (nFd < 0) return "cannot be written: no socket (" + SystemError(errno) + ")";
  const char chSlot = EncodeSlot(nSlot);
  const ssize_t nSent =
      sendto(nFd, &chSlot, 1, MSG_DONTWAIT, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  const int nErrno = errno;
  close(nFd);
  if (nSent == 1) return "";
  switch (nErrno) {
    case EPROTOTYPE:
      return "is a stream socket, and the backplane takes datagrams";
    case ECONNREFUSED:
      return "is a socket that nobody listens on";
    case EAGAIN:
      return "is a socket that takes nothing (its queue is full)";
    default:
      return "cannot be written (" + SystemError(nErrno) + ")";
  }
}

std::string GenericText(uint32_t nResult) {
  switch (nResult) {
    case PALLIX_OK:
      return "The controller switched slots.";
    case PALLIX_ERR_SLOT:
      return std::string("The controller did not switch: ") + kSlotRange + ".";
    case PALLIX_ERR_BACKPLANE:
      return "The controller did not switch: its backplane could not be told.";
    case PALLIX_NO_BACKPLANE:
      return "No backplane is named (QUORVEL_BACKPLANE), so no slot was switched.";
    default:
      return "Unknown result of a slot switch.";
  }
}

}  // namespace

extern "C" uint32_t ChangeSlotToKestra(uint8_t slot) {
  const std::string strSlot = std::to_string(slot);
  if (!IsValidSlot(slot))
    return Report(PALLIX_ERR_SLOT, "The controller did not switch to slot " + strSlot + ": " + kSlotRange + ".");
  const char* pszPath = std::getenv(kBackplaneVariable);
  if (pszPath == nullptr || *pszPath == '\0') {
    return Report(PALLIX_NO_BACKPLANE,
                  "No backplane is named (QUORVEL_BACKPLANE), so slot " + strSlot + " was not switched.");
  }
  const std::string strFault = TellBackplane(pszPath, slot);
  if (strFault.empty()) return Report(PALLIX_OK, "The controller switched to slot " + strSlot + ".");
  return Report(PALLIX_ERR_BACKPLANE, "The controller did not switch to slot " + strSlot + ": " + kBackplaneVariable +
                                          "=" + pszPath + " " + strFault +
                                          ". Start the controller's backplane service or fix the variable.");
}

extern "C" const char16_t* GetPallixMessage(uint32_t result) {
  const std::string* pDetail = t_lastMessage.DetailOf(result);
  return t_lastMessage.Show(ShowControls(pDetail != nullptr ? *pDetail : GenericText(result)));
}
