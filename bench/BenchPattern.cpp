#include "BenchPattern.h"

namespace bench {

const char* KindName(EStreamKind kind) {
  return kind == EStreamKind::Lines ? "CR LF lines" : kind == EStreamKind::NoLines ? "no line breaks" : "text lines";
}

}  // namespace bench
