#include "FakeSerial.h"

#include <algorithm>
#include <cstring>

#include "PallixSDK.h"
#include "TestText.h"
#include "Tobrel.h"

namespace fake {

CFakeSerial& Serial() {
  static CFakeSerial serial;
  return serial;
}

CFakeSdk& Sdk() {
  static CFakeSdk sdk;
  return sdk;
}

size_t CFakeSerial::Count(const std::string& name) const {
  return static_cast<size_t>(std::count_if(calls.begin(), calls.end(), [&](const CCall& c) { return c.name == name; }));
}

std::vector<CCall> CFakeSerial::Calls(const std::string& name) const {
  std::vector<CCall> out;
  std::copy_if(calls.begin(), calls.end(), std::back_inserter(out), [&](const CCall& c) { return c.name == name; });
  return out;
}

std::u16string MessageFor(uint32_t result) {
  std::string digits = std::to_string(result);
  return u"result " + U16(digits);
}

std::u16string SlotMessageFor(uint32_t result) { return u"slot switch " + MessageFor(result); }

namespace {

uint32_t Next(std::deque<uint32_t>& results) {
  if (results.empty()) return 0;
  uint32_t r = results.front();
  results.pop_front();
  return r;
}

void Record(const char* name, std::vector<int64_t> args, std::vector<uint8_t> bytes = {}) {
  Serial().calls.push_back({name, std::move(args), std::move(bytes), {}});
}

// Keeps what the reply buffer held at the call, then answers from the script.
uint32_t Reply(char* reply) {
  Serial().calls.back().replyIn.assign(reply, reply + TOBREL_REPLY_SIZE);
  auto& script = Serial().script;
  if (uint32_t result = Next(script.commandResults)) return result;
  std::copy_n(script.commandReply.begin(), std::min(script.commandReply.size(), TOBREL_REPLY_SIZE), reply);
  return 0;
}

}  // namespace

}  // namespace fake

using fake::Record;

extern "C" {

uint32_t Open_Com(uint8_t port, uint32_t baudRate, int8_t dataBits, int8_t parity, int8_t stopBits) {
  Record("Open_Com", {port, baudRate, dataBits, parity, stopBits});
  return fake::Next(fake::Serial().script.openResults);
}

uint32_t Close_Com(uint8_t port) {
  Record("Close_Com", {port});
  return 0;
}

uint32_t Send_Binary(uint8_t port, const uint8_t* data, uint32_t count, uint32_t reserved) {
  Record("Send_Binary", {port, count, reserved}, std::vector<uint8_t>(data, data + count));
  return fake::Next(fake::Serial().script.sendResults);
}

uint32_t DataSizeInCom(uint8_t port) {
  Record("DataSizeInCom", {port});
  const auto nWaiting = static_cast<uint32_t>(fake::Serial().Waiting());
  return nWaiting == 0 && !fake::Serial().script.news.empty() ? 1 : nWaiting;
}

uint16_t Receive_Binary(uint8_t port, uint8_t* buffer, uint16_t timeout, uint16_t count, uint32_t* elapsed) {
  Record("Receive_Binary", {port, timeout, count, elapsed != nullptr});
  auto& script = fake::Serial().script;
  if (!script.news.empty()) return static_cast<uint16_t>(fake::Next(script.news));
  if (script.nFailingReads > 0) {
    --script.nFailingReads;
    return 1;
  }
  if (fake::Serial().Waiting() < count) return 2;
  std::memcpy(buffer, script.incoming.data() + script.nIncomingRead, count);
  script.nIncomingRead += count;
  return 0;
}

uint32_t Send_Cmd(uint8_t port, const char* command, uint8_t checksum, uint8_t reserved) {
  Record("Send_Cmd", {port, checksum, reserved}, Bytes(command));
  return 0;
}

uint32_t Receive_Cmd(uint8_t port, char* reply, uint16_t timeout, uint8_t checksum, uint32_t* elapsed) {
  Record("Receive_Cmd", {port, timeout, checksum, elapsed != nullptr});
  return fake::Reply(reply);
}

uint32_t Send_Receive_Cmd(uint8_t port, const char* command, char* reply, uint16_t timeout, uint8_t checksum,
                          uint32_t* elapsed, uint8_t reserved) {
  Record("Send_Receive_Cmd", {port, timeout, checksum, elapsed != nullptr, reserved}, Bytes(command));
  return fake::Reply(reply);
}

const char16_t* GetSerialErrorMessage(uint32_t result) {
  Record("GetSerialErrorMessage", {result});
  thread_local std::u16string message;
  message = fake::MessageFor(result);
  return message.c_str();
}

const char16_t* GetSerialPortMap() { return fake::Serial().script.portMap.c_str(); }

uint32_t ChangeSlotToKestra(uint8_t slot) {
  fake::Sdk().slots.push_back(slot);
  return fake::Next(fake::Sdk().switchResults);
}

const char16_t* GetPallixMessage(uint32_t result) {
  thread_local std::u16string message;
  message = fake::SlotMessageFor(result);
  return message.c_str();
}
}
