#include "Elapsed.h"

namespace tobrel {

void StoreElapsed(uint32_t* pElapsed, std::chrono::steady_clock::time_point start) {
  if (pElapsed == nullptr) return;
  *pElapsed = static_cast<uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
}

}  // namespace tobrel
