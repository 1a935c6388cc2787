// The telnet layer of a network port (RFC 854, and RFC 2217's COM-PORT-OPTION on top): data
// bytes pass with 0xFF doubled, commands are taken out of the stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace tobrel {

namespace telnet {
constexpr uint8_t kSe = 240;
constexpr uint8_t kSb = 250;
constexpr uint8_t kWill = 251;
constexpr uint8_t kWont = 252;
constexpr uint8_t kDo = 253;
constexpr uint8_t kDont = 254;
constexpr uint8_t kIac = 255;

constexpr uint8_t kBinary = 0;
constexpr uint8_t kEcho = 1;
constexpr uint8_t kSuppressGoAhead = 3;
constexpr uint8_t kComPort = 44;
}  // namespace telnet

// Appends the nCount bytes at pData to vecOut with every 0xFF doubled.
void EscapeIac(const uint8_t* pData, size_t nCount, std::vector<uint8_t>& vecOut);

// Reads the server's stream. Commands may be split across reads; the decoder keeps its state.
class CTelnetDecoder {
 public:
  struct SCommand {
    uint8_t nVerb = 0;             // kWill, kWont, kDo, kDont or kSb
    uint8_t nOption = 0;           // the option negotiated or subnegotiated
    std::vector<uint8_t> vecData;  // a subnegotiation's bytes after the option, unescaped
  };

  // Takes the commands out of the nCount bytes at pData, in place; answers how many data bytes
  // are left at its start.
  size_t Decode(uint8_t* pData, size_t nCount);
  // The commands decoded since the last call, while they are kept.
  std::vector<SCommand> TakeCommands();
  // Once the port runs, nobody asks for them: later notifications are dropped.
  void StopKeeping();

 private:
  enum class EState { Data, Iac, Option, Sb, SbIac };
  void Finish();

  EState m_state = EState::Data;
  SCommand m_command;
  std::mutex m_mtx;
  std::vector<SCommand> m_vecCommands;
  bool m_bKeep = true;
};

}  // namespace tobrel
