// The units of a shared text, kept in chunks of kChunkUnits. A chunk holds
// one byte a unit while all its units are U+0001-U+00FF or U+2400 (a
// received zero byte, kept as 0x00), and two bytes a unit once another unit
// reaches it. Beyond the resident bound the oldest full chunks move to a
// private store file and are read back through a few mapped chunks, so a
// record of any size costs bounded memory. Units are only ever appended,
// or cut back by the text's sole owner.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "StoreFile.h"

namespace win {

// A stretch of units: bytes (0x00 standing for U+2400) or UTF-16 units.
struct STextPiece {
  size_t nPos = 0;  // of the first unit, within the range read
  const uint8_t* pNarrow = nullptr;
  const char16_t* pWide = nullptr;
  size_t nCount = 0;
};
// Returns false to stop reading.
using TextPieceFn = std::function<bool(const STextPiece&)>;

constexpr char16_t kZeroByteUnit = u'\u2400';

// Resident bytes a store keeps before it moves chunks to its file: some
// screens' worth of the newest text, small beside the port's receive
// buffer, which a backlog makes resident too.
constexpr size_t kDefaultResidentBound = size_t{16} << 20;
// Lowers (or restores) the bound for stores that grow from now on; for tests.
void SetTextResidentBound(size_t nBytes);

class CTextStore {
 public:
  static constexpr size_t kChunkShift = 16;
  static constexpr size_t kChunkUnits = size_t{1} << kChunkShift;

  CTextStore();
  CTextStore(const CTextStore&) = delete;
  CTextStore& operator=(const CTextStore&) = delete;
  ~CTextStore();

  size_t Length() const { return m_nLength; }
  char16_t At(size_t i) const {
    const SChunk& chunk = m_vecChunks[i >> kChunkShift];
    const uint8_t* p = chunk.pData ? chunk.pData : MapChunk(i >> kChunkShift);
    size_t k = i & (kChunkUnits - 1);
    if (chunk.bWide) return reinterpret_cast<const char16_t*>(p)[k];
    return p[k] ? p[k] : kZeroByteUnit;
  }
  // Reads units [nPos, nPos + n) in pieces; false when fn stopped.
  bool ForEachPiece(size_t nPos, size_t n, const TextPieceFn& fn) const;

  void Append(std::u16string_view text);
  // Appends units [nPos, nPos + n) of another store, narrow pieces as bytes.
  void AppendFrom(const CTextStore& from, size_t nPos, size_t n);
  // Keeps the first n units.
  void Truncate(size_t n);

  size_t ResidentBytes() const { return m_nResidentBytes; }
  // Bytes held in the store file.
  uint64_t StoredBytes() const { return m_pFile ? m_pFile->Written() : 0; }
  int FileDescriptor() const { return m_pFile ? m_pFile->Descriptor() : -1; }

 private:
  struct SChunk {
    // The resident bytes, the mapped stored bytes, or null.
    const uint8_t* pData = nullptr;
    uint32_t nCapacity = 0;  // units the resident bytes hold room for
    bool bWide = false;
    bool bStored = false;
    uint64_t nOffset = 0;  // in the store file
  };
  static size_t UnitBytes(const SChunk& chunk) { return chunk.bWide ? 2 : 1; }
  uint8_t* Writable(SChunk& chunk) { return const_cast<uint8_t*>(chunk.pData); }
  const uint8_t* MapChunk(size_t nChunk) const;
  // The last chunk with room for nUnits more (at most to its end), as bWide if asked.
  SChunk& Tail(size_t nUnits, bool bWide);
  // Room in the last chunk, nUsed units into it, for nUnits, widened if asked.
  void Reserve(SChunk& chunk, size_t nUsed, size_t nUnits, bool bWide);
  void AppendNarrow(const uint8_t* p, size_t n);
  void AppendWide(const char16_t* p, size_t n);
  void Release(SChunk& chunk);
  void Spill();

  std::vector<SChunk> m_vecChunks;
  size_t m_nLength = 0;
  size_t m_nResidentBytes = 0;
  size_t m_nFirstResident = 0;
  size_t m_nResidentBound;
  std::unique_ptr<CStoreFile> m_pFile;
  bool m_bInMemory = false;
  // Stored chunks mapped now, reused round the ring.
  mutable std::vector<size_t> m_vecMapped;
  mutable size_t m_nNextMapped = 0;
};

}  // namespace win
