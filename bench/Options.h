// The benchmarks' command lines.
#pragma once

#include <string_view>

namespace bench {

bool HasFlag(int argc, char** argv, std::string_view flag);
// The number after an option ("--rounds 3"), or nDefault.
int IntOption(int argc, char** argv, std::string_view option, int nDefault);

}  // namespace bench
