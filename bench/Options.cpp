#include "Options.h"

#include <algorithm>
#include <cstdlib>

namespace bench {

int IntOption(int argc, char** argv, std::string_view option, int nDefault) {
  for (int i = 1; i + 1 < argc; ++i)
    if (option == argv[i]) return std::max(1, std::atoi(argv[i + 1]));
  return nDefault;
}

bool HasFlag(int argc, char** argv, std::string_view flag) {
  for (int i = 1; i < argc; ++i)
    if (flag == argv[i]) return true;
  return false;
}

}  // namespace bench
