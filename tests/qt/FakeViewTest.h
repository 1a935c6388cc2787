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
