// The time a call took, for the elapsed arguments of the receiving functions.
#pragma once

#include <chrono>
#include <cstdint>

namespace tobrel {

// Stores the milliseconds since start in *pElapsed; nothing when pElapsed is null.
void StoreElapsed(uint32_t* pElapsed, std::chrono::steady_clock::time_point start);

}  // namespace tobrel
