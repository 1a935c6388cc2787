// The view's tests with the fake serial library and SDK.
#pragma once

#include "FakeSerial.h"
#include "ViewFixture.h"

class CFakeViewTest : public CViewTest {
 protected:
  void SetUp() override {
    CViewTest::SetUp();
    fake::Serial().Reset();
    fake::Sdk().Reset();
  }

  fake::CFakeSerial& serial = fake::Serial();
};

inline std::u16string U16(std::string_view text) { return std::u16string(text.begin(), text.end()); }
