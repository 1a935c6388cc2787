// A benchmark cannot go on without what a system call refused it.
#pragma once

namespace bench {

// Says what failed and why (errno), and exits.
[[noreturn]] void Die(const char* pszWhat);

}  // namespace bench
