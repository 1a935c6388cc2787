#include "PortHolder.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tobrel {

namespace fs = std::filesystem;

namespace {

std::string ProgramOf(pid_t nPid) {
  std::ifstream file("/proc/" + std::to_string(nPid) + "/comm");
  std::string strName;
  std::getline(file, strName);
  return strName;
}

// The process of the first lock on the file: /proc/locks gives "MAJOR:MINOR:INODE" of it.
pid_t LockHolder(const struct stat& st) {
  char szFile[64];
  std::snprintf(szFile, sizeof szFile, "%02x:%02x:%lu", major(st.st_dev), minor(st.st_dev),
                static_cast<unsigned long>(st.st_ino));
  std::ifstream locks("/proc/locks");
  std::string strLine;
  while (std::getline(locks, strLine)) {
    // "1: FLOCK  ADVISORY  WRITE 1234 00:05:87 0 EOF"; a waiting lock has "->" before its kind.
    std::istringstream fields(strLine);
    std::string strNumber, strKind, strMode, strAccess, strFile;
    pid_t nPid = 0;
    fields >> strNumber >> strKind;
    if (strKind == "->") fields >> strKind;
    fields >> strMode >> strAccess >> nPid >> strFile;
    if (strFile == szFile && nPid > 0) return nPid;
  }
  return 0;
}

// A process other than this one with the device open, among those whose files may be read.
pid_t OpenHolder(const struct stat& st) {
  std::error_code error;
  for (const auto& process : fs::directory_iterator("/proc", error)) {
    const std::string strName = process.path().filename();
    if (strName.find_first_not_of("0123456789") != std::string::npos) continue;
    const auto nPid = static_cast<pid_t>(std::stol(strName));
    if (nPid == getpid()) continue;
    std::error_code fdError;
    for (const auto& fd : fs::directory_iterator(process.path() / "fd", fdError)) {
      struct stat stOpen {};
      if (stat(fd.path().c_str(), &stOpen) == 0 && S_ISCHR(stOpen.st_mode) && stOpen.st_rdev == st.st_rdev) return nPid;
    }
  }
  return 0;
}

std::string UsualFix(const std::string& strProgram) {
  if (strProgram == "ModemManager")
    return "ModemManager probes every new serial device for a modem: stop it with sudo systemctl stop "
           "ModemManager, or keep it off this adapter with a udev rule setting ENV{ID_MM_DEVICE_IGNORE}=\"1\".";
  if (strProgram == "brltty")
    return "brltty, the Braille display driver, claims CH340 and CP210x adapters: remove it with sudo apt remove "
           "brltty if you use no Braille display.";
  return {};
}

}  // namespace

SPortHolder FindHolder(const std::string& strPath) {
  struct stat st {};
  if (stat(strPath.c_str(), &st) != 0) return {};
  // The locker may have gone, leaving the lock to a child that shares its file.
  pid_t nPid = LockHolder(st);
  if (nPid == 0 || ProgramOf(nPid).empty()) nPid = OpenHolder(st);
  if (nPid == 0) return {};
  const std::string strProgram = ProgramOf(nPid);
  const std::string strProcess = "process " + std::to_string(nPid);
  return {strProgram.empty() ? strProcess : strProgram + " (" + strProcess + ")", UsualFix(strProgram)};
}

}  // namespace tobrel
