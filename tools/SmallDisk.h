// A full disk for the tests and benchmarks: a small tmpfs mounted in a user
// and mount namespace of the process's own, so no privilege is needed.
#pragma once

#include <functional>
#include <optional>
#include <string>

// Mounts a tmpfs of strSize ("256k", "96m") at strDir for this process
// alone. Only before a second thread starts: a threaded process cannot
// enter a new user namespace.
bool MountSmallDisk(const std::string& strDir, const std::string& strSize);

// Runs body in a child process with the small disk mounted: whether it
// passed, or nothing when this system lets no tmpfs be mounted that way.
std::optional<bool> OnSmallDisk(const std::string& strDir, const std::string& strSize,
                                const std::function<bool()>& body);
