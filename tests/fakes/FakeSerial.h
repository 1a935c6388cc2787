// A fake serial library and controller SDK, linked into tests in place of the
// real ones. Every call is recorded with its arguments; the answers come from
// a script the test sets up.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace fake {

struct CCall {
  std::string name;
  std::vector<int64_t> args;   // scalar arguments, in order
  std::vector<uint8_t> bytes;  // Send_Binary's bytes, or the command text
  // A module query's reply buffer as the library was handed it, all 100 bytes.
  std::vector<uint8_t> replyIn;
};

struct CSerialScript {
  std::deque<uint32_t> openResults;  // then 0
  std::deque<uint32_t> sendResults;  // then 0
  // Bytes that have arrived; DataSizeInCom answers their count.
  std::vector<uint8_t> incoming;
  size_t nIncomingRead = 0;
  // Reads that fail before any succeeds again.
  int nFailingReads = 0;
  // Results the next reads answer before any byte, one each, as the library tells an event
  // (lost bytes, a stalled send, a failing capture file); while any is left DataSizeInCom
  // answers at least 1.
  std::deque<uint32_t> news;
  // Replies of Receive_Cmd and Send_Receive_Cmd, copied whole into the
  // 100-byte buffer (so a test can fill it without a zero byte).
  std::vector<uint8_t> commandReply;
  // Results of those two; a failure writes nothing into the buffer. Then 0.
  std::deque<uint32_t> commandResults;
  // What GetSerialPortMap answers; a query, not recorded among the calls.
  std::u16string portMap;
};

struct CFakeSerial {
  std::vector<CCall> calls;
  CSerialScript script;

  void Reset() { *this = CFakeSerial(); }
  void Arrive(const std::vector<uint8_t>& bytes) {
    script.incoming.insert(script.incoming.end(), bytes.begin(), bytes.end());
  }
  void Arrive(const std::string& text) { script.incoming.insert(script.incoming.end(), text.begin(), text.end()); }
  size_t Waiting() const { return script.incoming.size() - script.nIncomingRead; }
  size_t Count(const std::string& name) const;
  std::vector<CCall> Calls(const std::string& name) const;
};

CFakeSerial& Serial();
// The message the fake gives for a result code.
std::u16string MessageFor(uint32_t result);

struct CFakeSdk {
  std::vector<uint8_t> slots;          // every ChangeSlotToKestra argument
  std::deque<uint32_t> switchResults;  // then 0
  void Reset() { *this = CFakeSdk(); }
};
CFakeSdk& Sdk();
// The message the fake SDK gives for a result code.
std::u16string SlotMessageFor(uint32_t result);

}  // namespace fake
