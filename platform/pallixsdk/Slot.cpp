#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "Backplane.h"
#include "PallixSDK.h"
#include "PallixSlot.h"

namespace {

std::atomic<uint8_t> g_nCurrentSlot{0};

// Best effort: without a listener the switch is only recorded.
void TellBackplane(uint8_t nSlot) {
  const char* pszPath = std::getenv(kBackplaneVariable);
  if (pszPath == nullptr || *pszPath == '\0') return;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (std::strlen(pszPath) >= sizeof address.sun_path) return;
  std::strcpy(address.sun_path, pszPath);
  const int nFd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (nFd < 0) return;
  const char chSlot = EncodeSlot(nSlot);
  sendto(nFd, &chSlot, 1, MSG_DONTWAIT, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  close(nFd);
}

}  // namespace

uint8_t Pallix_CurrentSlot() { return g_nCurrentSlot.load(); }

extern "C" uint32_t ChangeSlotToKestra(uint8_t slot) {
  if (!IsValidSlot(slot)) return PALLIX_ERR_SLOT;
  g_nCurrentSlot.store(slot);
  TellBackplane(slot);
  return PALLIX_OK;
}
