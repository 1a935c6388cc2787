// The sizes and rates the benchmarks are stated in.
#pragma once

#include <cstdint>

namespace bench {

constexpr uint64_t kMiB = uint64_t{1} << 20;
// 921600 baud, 8N1: ten bits a byte.
constexpr uint64_t kLineRate = 921600 / 10;

}  // namespace bench
