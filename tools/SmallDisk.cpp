#include "SmallDisk.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kCannotMount = 77;

bool WriteFile(const char* pszPath, const std::string& str) {
  int fd = open(pszPath, O_WRONLY | O_CLOEXEC);
  bool bOk = fd >= 0 && write(fd, str.data(), str.size()) == static_cast<ssize_t>(str.size());
  if (fd >= 0) close(fd);
  return bOk;
}

}  // namespace

bool MountSmallDisk(const std::string& strDir, const std::string& strSize) {
  const std::string strUid = std::to_string(getuid()), strGid = std::to_string(getgid());
  if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return false;
  WriteFile("/proc/self/setgroups", "deny");
  return WriteFile("/proc/self/uid_map", "0 " + strUid + " 1") &&
         WriteFile("/proc/self/gid_map", "0 " + strGid + " 1") &&
         mount("none", strDir.c_str(), "tmpfs", 0, ("size=" + strSize).c_str()) == 0;
}

std::optional<bool> OnSmallDisk(const std::string& strDir, const std::string& strSize,
                                const std::function<bool()>& body) {
  pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) _exit(!MountSmallDisk(strDir, strSize) ? kCannotMount : body() ? 0 : 1);
  int nStatus = 0;
  if (waitpid(pid, &nStatus, 0) != pid || !WIFEXITED(nStatus)) return false;
  if (WEXITSTATUS(nStatus) == kCannotMount) return std::nullopt;
  return WEXITSTATUS(nStatus) == 0;
}
