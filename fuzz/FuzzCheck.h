// Stops the fuzzer with a report when a property does not hold.
#pragma once

#include <cstdio>
#include <cstdlib>

inline void Check(bool bHolds, const char* pszWhat) {
  if (bHolds) return;
  std::fprintf(stderr, "property failed: %s\n", pszWhat);
  std::abort();
}
