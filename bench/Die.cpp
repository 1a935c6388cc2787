#include "Die.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace bench {

void Die(const char* pszWhat) {
  std::fprintf(stderr, "bench: %s: %s\n", pszWhat, std::strerror(errno));
  std::exit(1);
}

}  // namespace bench
