#include "TextStore.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

namespace win {

namespace {

// Stored chunks mapped at once: a few screens' worth, and what a copy reads.
constexpr size_t kMappedChunks = 16;

size_t g_nResidentBound = kDefaultResidentBound;

bool IsNarrow(char16_t c) { return (c >= 1 && c <= 0xFF) || c == kZeroByteUnit; }
uint8_t Narrow(char16_t c) { return c == kZeroByteUnit ? 0 : static_cast<uint8_t>(c); }
char16_t Widen(uint8_t b) { return b ? b : kZeroByteUnit; }

}  // namespace

void SetTextResidentBound(size_t nBytes) { g_nResidentBound = nBytes; }

CTextStore::CTextStore() : m_nResidentBound(g_nResidentBound) {}

CTextStore::~CTextStore() {
  for (SChunk& chunk : m_vecChunks) Release(chunk);
}

const uint8_t* CTextStore::MapChunk(size_t nChunk) const {
  SChunk& chunk = const_cast<SChunk&>(m_vecChunks[nChunk]);
  size_t nBytes = kChunkUnits * UnitBytes(chunk);
  if (m_vecMapped.size() < kMappedChunks) {
    m_vecMapped.push_back(nChunk);
  } else {
    SChunk& old = const_cast<SChunk&>(m_vecChunks[m_vecMapped[m_nNextMapped]]);
    CStoreFile::Unmap(old.pData, kChunkUnits * UnitBytes(old));
    old.pData = nullptr;
    m_vecMapped[m_nNextMapped] = nChunk;
    m_nNextMapped = (m_nNextMapped + 1) % kMappedChunks;
  }
  chunk.pData = m_pFile->Map(chunk.nOffset, nBytes);
  if (!chunk.pData) throw std::bad_alloc();
  return chunk.pData;
}

bool CTextStore::ForEachPiece(size_t nPos, size_t n, const TextPieceFn& fn) const {
  size_t nEnd = std::min(nPos + n, m_nLength);
  for (size_t i = nPos; i < nEnd;) {
    size_t nChunk = i >> kChunkShift, k = i & (kChunkUnits - 1);
    const SChunk& chunk = m_vecChunks[nChunk];
    const uint8_t* p = chunk.pData ? chunk.pData : MapChunk(nChunk);
    STextPiece piece;
    piece.nPos = i - nPos;
    piece.nCount = std::min(kChunkUnits - k, nEnd - i);
    if (chunk.bWide)
      piece.pWide = reinterpret_cast<const char16_t*>(p) + k;
    else
      piece.pNarrow = p + k;
    if (!fn(piece)) return false;
    i += piece.nCount;
  }
  return true;
}

void CTextStore::Reserve(SChunk& chunk, size_t nUsed, size_t nUnits, bool bWide) {
  bool bWiden = bWide && !chunk.bWide;
  if (nUnits <= chunk.nCapacity && !bWiden) return;
  size_t nCapacity = std::max<size_t>(chunk.nCapacity, 16);
  while (nCapacity < nUnits) nCapacity *= 2;
  nCapacity = std::min(nCapacity, kChunkUnits);
  size_t nOldBytes = chunk.nCapacity * UnitBytes(chunk);
  size_t nBytes = nCapacity * (bWide || chunk.bWide ? 2 : 1);
  auto* p = static_cast<uint8_t*>(std::realloc(Writable(chunk), nBytes));
  if (!p) throw std::bad_alloc();
  if (bWiden) {
    // Widened from the end, no byte is overwritten before it is read.
    auto* pWide = reinterpret_cast<char16_t*>(p);
    for (size_t i = nUsed; i-- > 0;) pWide[i] = Widen(p[i]);
    chunk.bWide = true;
  }
  chunk.pData = p;
  chunk.nCapacity = static_cast<uint32_t>(nCapacity);
  m_nResidentBytes = m_nResidentBytes - nOldBytes + nBytes;
}

CTextStore::SChunk& CTextStore::Tail(size_t nUnits, bool bWide) {
  if ((m_nLength & (kChunkUnits - 1)) == 0 && m_nLength >> kChunkShift == m_vecChunks.size()) {
    Spill();
    m_vecChunks.emplace_back();
  }
  SChunk& chunk = m_vecChunks.back();
  size_t nUsed = m_nLength - ((m_vecChunks.size() - 1) << kChunkShift);
  Reserve(chunk, nUsed, nUsed + std::min(nUnits, kChunkUnits - nUsed), bWide);
  return chunk;
}

void CTextStore::AppendNarrow(const uint8_t* p, size_t n) {
  while (n > 0) {
    SChunk& chunk = Tail(n, false);
    size_t nUsed = m_nLength & (kChunkUnits - 1), nTake = std::min(n, kChunkUnits - nUsed);
    if (chunk.bWide) {
      auto* pWide = reinterpret_cast<char16_t*>(Writable(chunk)) + nUsed;
      for (size_t i = 0; i < nTake; ++i) pWide[i] = Widen(p[i]);
    } else {
      std::memcpy(Writable(chunk) + nUsed, p, nTake);
    }
    m_nLength += nTake;
    p += nTake;
    n -= nTake;
  }
}

void CTextStore::AppendWide(const char16_t* p, size_t n) {
  while (n > 0) {
    SChunk& chunk = Tail(n, true);
    size_t nUsed = m_nLength & (kChunkUnits - 1), nTake = std::min(n, kChunkUnits - nUsed);
    std::memcpy(reinterpret_cast<char16_t*>(Writable(chunk)) + nUsed, p, nTake * sizeof(char16_t));
    m_nLength += nTake;
    p += nTake;
    n -= nTake;
  }
}

void CTextStore::Append(std::u16string_view text) {
  // Narrow runs go in as bytes; a unit beyond them makes its chunk wide.
  uint8_t aBytes[4096];
  while (!text.empty()) {
    size_t n = 0;
    while (n < text.size() && n < sizeof aBytes && IsNarrow(text[n])) {
      aBytes[n] = Narrow(text[n]);
      ++n;
    }
    if (n > 0) {
      AppendNarrow(aBytes, n);
      text.remove_prefix(n);
      continue;
    }
    while (n < text.size() && !IsNarrow(text[n])) ++n;
    // The wide stretch runs on to the end of its chunk.
    size_t nRoom = kChunkUnits - (m_nLength & (kChunkUnits - 1));
    n = std::max(n, std::min(text.size(), nRoom));
    AppendWide(text.data(), n);
    text.remove_prefix(n);
  }
}

void CTextStore::AppendFrom(const CTextStore& from, size_t nPos, size_t n) {
  if (&from == this) {
    std::u16string copy;
    copy.reserve(n);
    ForEachPiece(nPos, n, [&](const STextPiece& piece) {
      for (size_t i = 0; i < piece.nCount; ++i) copy += piece.pWide ? piece.pWide[i] : Widen(piece.pNarrow[i]);
      return true;
    });
    Append(copy);
    return;
  }
  from.ForEachPiece(nPos, n, [&](const STextPiece& piece) {
    if (piece.pNarrow)
      AppendNarrow(piece.pNarrow, piece.nCount);
    else
      Append(std::u16string_view(piece.pWide, piece.nCount));
    return true;
  });
}

void CTextStore::Release(SChunk& chunk) {
  if (chunk.bStored) {
    auto it = std::find(m_vecMapped.begin(), m_vecMapped.end(), static_cast<size_t>(&chunk - m_vecChunks.data()));
    if (it != m_vecMapped.end()) {
      CStoreFile::Unmap(chunk.pData, kChunkUnits * UnitBytes(chunk));
      m_vecMapped.erase(it);
      m_nNextMapped = 0;
    }
  } else {
    std::free(Writable(chunk));
    m_nResidentBytes -= chunk.nCapacity * UnitBytes(chunk);
  }
  chunk = {};
}

void CTextStore::Truncate(size_t n) {
  if (n >= m_nLength) return;
  size_t nKeep = (n + kChunkUnits - 1) >> kChunkShift;
  // The chunk cut into comes back into memory to take appends again.
  if ((n & (kChunkUnits - 1)) != 0 && m_vecChunks[nKeep - 1].bStored) {
    SChunk& chunk = m_vecChunks[nKeep - 1];
    size_t nUnits = n - ((nKeep - 1) << kChunkShift), nBytes = kChunkUnits * UnitBytes(chunk);
    auto* p = static_cast<uint8_t*>(std::malloc(nBytes));
    if (!p) throw std::bad_alloc();
    std::memcpy(p, chunk.pData ? chunk.pData : MapChunk(nKeep - 1), nUnits * UnitBytes(chunk));
    bool bWide = chunk.bWide;
    Release(chunk);
    chunk.pData = p;
    chunk.bWide = bWide;
    chunk.nCapacity = kChunkUnits;
    m_nResidentBytes += nBytes;
  }
  while (m_vecChunks.size() > nKeep) {
    Release(m_vecChunks.back());
    m_vecChunks.pop_back();
  }
  m_nLength = n;
  m_nFirstResident = std::min(m_nFirstResident, nKeep > 0 ? nKeep - 1 : 0);
  if (n == 0) {
    // An empty text gives its file's space back, and may try a file anew.
    m_vecChunks.shrink_to_fit();
    m_pFile.reset();
    m_bInMemory = false;
    m_nFirstResident = 0;
    m_nResidentBound = g_nResidentBound;
  }
}

// Moves the oldest full resident chunks to the file while the resident
// bytes pass the bound. A file that cannot take one leaves the text in memory.
void CTextStore::Spill() {
  if (m_nResidentBytes <= m_nResidentBound || m_bInMemory) return;
  if (!m_pFile) {
    m_pFile = CStoreFile::Open();
    if (!m_pFile) {
      m_bInMemory = true;
      return;
    }
  }
  while (m_nResidentBytes > m_nResidentBound && m_nFirstResident < m_vecChunks.size()) {
    SChunk& chunk = m_vecChunks[m_nFirstResident];
    size_t nBytes = kChunkUnits * UnitBytes(chunk);
    uint64_t nOffset = 0;
    if (!m_pFile->Write(chunk.pData, nBytes, &nOffset)) {
      m_bInMemory = true;
      return;
    }
    bool bWide = chunk.bWide;
    Release(chunk);
    chunk.bWide = bWide;
    chunk.bStored = true;
    chunk.nOffset = nOffset;
    ++m_nFirstResident;
  }
}

}  // namespace win
