#include "RecordCheck.h"

#include <algorithm>

#include "BenchPattern.h"
#include "TextConversion.h"

namespace bench {

SRecordCheck CheckRecord(const win::CTextRange& record, EStreamKind kind, uint64_t nCount, uint64_t nFrom) {
  SRecordCheck check;
  CBenchPattern pattern(kind);
  uint64_t nCommon = std::min<uint64_t>(record.size(), nCount);
  for (uint64_t i = 0; i < std::min(nFrom, nCommon); ++i) pattern.Next();
  for (uint64_t i = nFrom; i < nCommon; ++i)
    if (record[i] != WidenReceived(pattern.Next())) ++check.nMismatched;
  check.nMissing = nCount - nCommon;
  check.nExtra = record.size() - nCommon;
  return check;
}

}  // namespace bench
