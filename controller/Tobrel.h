// The controller's serial-port library, as far as the terminal calls it.
// A port is 1 to 10 for COM1 to COM10; a result of 0 means success.
#pragma once

#include <cstddef>
#include <cstdint>

// The ports there are: COM1 to COM10.
constexpr uint8_t TOBREL_FIRST_PORT = 1;
constexpr uint8_t TOBREL_LAST_PORT = 10;

// A command reply buffer: 99 characters and the NUL.
constexpr size_t TOBREL_REPLY_SIZE = 100;

// Results the terminal tells apart from the others.
inline constexpr uint32_t kResultOpenComError = 0xFFFD;   // the port could not be opened, for another reason
inline constexpr uint32_t kResultDisconnected = 0xFF22;   // the port's device went away
inline constexpr uint32_t kResultReceiveLost = 0xFF31;    // received bytes were lost: the library's buffer was full
inline constexpr uint32_t kResultSendStalled = 0xFF20;    // queued bytes wait: the device takes none
inline constexpr uint32_t kResultCaptureFailed = 0xFF40;  // the capture file cannot be written
// Results of Receive_Binary that tell an event once and leave the bytes after it to be read
// on, in the order a caller that gathers them shows them.
inline constexpr uint32_t kNewsResults[] = {kResultReceiveLost, kResultSendStalled, kResultCaptureFailed};

extern "C" {

uint32_t Open_Com(uint8_t port, uint32_t baudRate, int8_t dataBits, int8_t parity, int8_t stopBits);
uint32_t Close_Com(uint8_t port);
uint32_t Send_Binary(uint8_t port, const uint8_t* data, uint32_t count, uint32_t reserved);
uint32_t DataSizeInCom(uint8_t port);
uint16_t Receive_Binary(uint8_t port, uint8_t* buffer, uint16_t timeout, uint16_t count, uint32_t* elapsed);
uint32_t Send_Cmd(uint8_t port, const char* command, uint8_t checksum, uint8_t reserved);
uint32_t Receive_Cmd(uint8_t port, char* reply, uint16_t timeout, uint8_t checksum, uint32_t* elapsed);
uint32_t Send_Receive_Cmd(uint8_t port, const char* command, char* reply, uint16_t timeout, uint8_t checksum,
                          uint32_t* elapsed, uint8_t reserved);
// NUL-terminated UTF-16 text; valid until the next call from the same thread.
const char16_t* GetSerialErrorMessage(uint32_t result);
// Which device stands behind each COM number that has one, one line per number
// ("COM3: /dev/ttyUSB0, FTDI FT232R USB UART"); empty when there is none. Decided afresh
// on each call; valid until the next call from the same thread.
const char16_t* GetSerialPortMap();
}
