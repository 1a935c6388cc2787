#include "TerminalHarness.h"

#include "resource.h"

void CTerminalHarness::SetUp() {
  CTerminalDriver::SetUp();
  fake::Serial().Reset();
  fake::Sdk().Reset();
}

void CTerminalHarness::OpenPort() {
  ASSERT_TRUE(Click(IDC_BUTTON_OPEN));
  serial.calls.clear();
}
