// The machine a benchmark ran on, printed above its tables.
#pragma once

namespace bench {

void PrintMachine();

}  // namespace bench
