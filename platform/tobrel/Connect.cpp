#include "Connect.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "SystemText.h"

namespace tobrel {

namespace {

using Clock = std::chrono::steady_clock;

// Idle probes after 3 s, every 2 s, 3 unanswered: a silent dead link is noticed after about
// 9 s; bytes unacknowledged for 10 s end the connection too.
constexpr int kKeepIdleS = 3;
constexpr int kKeepIntervalS = 2;
constexpr int kKeepCount = 3;
constexpr unsigned kUserTimeoutMs = 10000;

// getaddrinfo has no deadline of its own: it runs on a thread of its own, which finishes
// (and frees its result) on its own if the caller stops waiting.
struct SLookUp {
  std::mutex mtx;
  std::condition_variable cvDone;
  bool bDone = false;
  int nError = 0;
  addrinfo* pResult = nullptr;
  ~SLookUp() {
    if (pResult != nullptr) freeaddrinfo(pResult);
  }
};

std::shared_ptr<SLookUp> LookUp(const SNetworkTarget& network, Clock::time_point deadline) {
  auto pLookUp = std::make_shared<SLookUp>();
  std::thread([pLookUp, strHost = network.strHost, strPort = network.strPort] {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* pResult = nullptr;
    const int nError = getaddrinfo(strHost.c_str(), strPort.c_str(), &hints, &pResult);
    std::lock_guard lock(pLookUp->mtx);
    pLookUp->nError = nError;
    pLookUp->pResult = pResult;
    pLookUp->bDone = true;
    pLookUp->cvDone.notify_all();
  }).detach();
  std::unique_lock lock(pLookUp->mtx);
  if (!pLookUp->cvDone.wait_until(lock, deadline, [&] { return pLookUp->bDone; })) return nullptr;
  return pLookUp;
}

void KeepAlive(int nFd) {
  const int nOn = 1;
  setsockopt(nFd, SOL_SOCKET, SO_KEEPALIVE, &nOn, sizeof nOn);
  setsockopt(nFd, IPPROTO_TCP, TCP_KEEPIDLE, &kKeepIdleS, sizeof kKeepIdleS);
  setsockopt(nFd, IPPROTO_TCP, TCP_KEEPINTVL, &kKeepIntervalS, sizeof kKeepIntervalS);
  setsockopt(nFd, IPPROTO_TCP, TCP_KEEPCNT, &kKeepCount, sizeof kKeepCount);
  setsockopt(nFd, IPPROTO_TCP, TCP_USER_TIMEOUT, &kUserTimeoutMs, sizeof kUserTimeoutMs);
  // A typed line goes out at once, as on a serial line.
  setsockopt(nFd, IPPROTO_TCP, TCP_NODELAY, &nOn, sizeof nOn);
}

// 0 once connected, else the errno value; ETIMEDOUT at the deadline.
int ConnectOne(int nFd, const addrinfo& address, Clock::time_point deadline) {
  if (connect(nFd, address.ai_addr, address.ai_addrlen) == 0) return 0;
  if (errno != EINPROGRESS) return errno;
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return ETIMEDOUT;
    pollfd pfd{nFd, POLLOUT, 0};
    const int nReady = poll(&pfd, 1, static_cast<int>(left.count()));
    if (nReady < 0 && errno == EINTR) continue;
    if (nReady < 0) return errno;
    if (nReady == 0) continue;
    int nError = 0;
    socklen_t nSize = sizeof nError;
    if (getsockopt(nFd, SOL_SOCKET, SO_ERROR, &nError, &nSize) != 0) return errno;
    return nError;
  }
}

}  // namespace

int ConnectWithin(const SNetworkTarget& network, Clock::time_point deadline, std::string& strReason) {
  const std::shared_ptr<SLookUp> pLookUp = LookUp(network, deadline);
  if (!pLookUp) {
    strReason = "the name " + network.strHost + " was not found in time";
    return -1;
  }
  if (pLookUp->nError != 0) {
    strReason = pLookUp->nError == EAI_SYSTEM ? SystemError(errno) : gai_strerror(pLookUp->nError);
    return -1;
  }
  int nError = ETIMEDOUT;
  for (const addrinfo* pAddress = pLookUp->pResult; pAddress != nullptr; pAddress = pAddress->ai_next) {
    const int nFd =
        socket(pAddress->ai_family, pAddress->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, pAddress->ai_protocol);
    if (nFd < 0) {
      nError = errno;
      continue;
    }
    nError = ConnectOne(nFd, *pAddress, deadline);
    if (nError == 0) {
      KeepAlive(nFd);
      return nFd;
    }
    close(nFd);
    if (nError == ETIMEDOUT) break;
  }
  strReason =
      nError == ETIMEDOUT ? "no answer within " + std::to_string(kReachTime.count()) + " s" : SystemError(nError);
  return -1;
}

}  // namespace tobrel
