// The terminal driven as a person does, with the fake serial library and SDK.
#pragma once

#include "FakeSerial.h"
#include "TerminalDriver.h"

class CTerminalHarness : public CTerminalDriver {
 protected:
  void SetUp() override;
  // Opens COM1 with the start settings and clears the fake's record of it.
  void OpenPort();

  fake::CFakeSerial& serial = fake::Serial();
};
