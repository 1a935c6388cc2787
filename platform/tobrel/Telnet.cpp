#include "Telnet.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace tobrel {

using namespace telnet;

void EscapeIac(const uint8_t* pData, size_t nCount, std::vector<uint8_t>& vecOut) {
  const uint8_t* pEnd = pData + nCount;
  while (pData != pEnd) {
    const uint8_t* pIac = std::find(pData, pEnd, kIac);
    vecOut.insert(vecOut.end(), pData, pIac);
    if (pIac == pEnd) break;
    vecOut.push_back(kIac);
    vecOut.push_back(kIac);
    pData = pIac + 1;
  }
}

void CTelnetDecoder::Finish() {
  std::lock_guard lock(m_mtx);
  if (m_bKeep) m_vecCommands.push_back(std::move(m_command));
  m_command = {};
}

size_t CTelnetDecoder::Decode(uint8_t* pData, size_t nCount) {
  size_t nOut = 0;
  for (size_t i = 0; i < nCount; ++i) {
    // Plain data moves in runs up to the next IAC.
    if (m_state == EState::Data) {
      const auto* pIac = static_cast<const uint8_t*>(std::memchr(pData + i, kIac, nCount - i));
      const size_t nRun = (pIac != nullptr ? static_cast<size_t>(pIac - pData) : nCount) - i;
      if (nOut != i) std::memmove(pData + nOut, pData + i, nRun);
      nOut += nRun;
      i += nRun;
      if (i == nCount) break;
    }
    const uint8_t nByte = pData[i];
    switch (m_state) {
      case EState::Data:
        if (nByte == kIac)
          m_state = EState::Iac;
        else
          pData[nOut++] = nByte;
        break;
      case EState::Iac:
        if (nByte == kIac) {
          pData[nOut++] = kIac;
          m_state = EState::Data;
        } else if (nByte >= kWill) {
          m_command.nVerb = nByte;
          m_state = EState::Option;
        } else if (nByte == kSb) {
          m_command.nVerb = kSb;
          m_state = EState::Option;
        } else {
          // NOP, go-ahead and the other one-byte commands mean nothing to a serial line.
          m_state = EState::Data;
        }
        break;
      case EState::Option:
        m_command.nOption = nByte;
        if (m_command.nVerb == kSb) {
          m_state = EState::Sb;
        } else {
          Finish();
          m_state = EState::Data;
        }
        break;
      case EState::Sb:
        if (nByte == kIac)
          m_state = EState::SbIac;
        else
          m_command.vecData.push_back(nByte);
        break;
      case EState::SbIac:
        if (nByte == kIac) {
          m_command.vecData.push_back(kIac);
          m_state = EState::Sb;
        } else {
          // IAC SE, or a server that forgot it: the subnegotiation ends either way.
          Finish();
          m_state = EState::Data;
        }
        break;
    }
  }
  return nOut;
}

std::vector<CTelnetDecoder::SCommand> CTelnetDecoder::TakeCommands() {
  std::lock_guard lock(m_mtx);
  return std::exchange(m_vecCommands, {});
}

void CTelnetDecoder::StopKeeping() {
  std::lock_guard lock(m_mtx);
  m_bKeep = false;
  m_vecCommands.clear();
}

}  // namespace tobrel
