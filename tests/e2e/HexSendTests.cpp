// Send as Hex end to end: the dialog on the real serial library, the device
// on the other side of a pseudo-terminal reading what goes out.
#include <string>

#include "Menu.h"
#include "PseudoTerminal.h"
#include "TerminalDriver.h"
#include "Tobrel.h"
#include "UserInput.h"
#include "resource.h"

namespace {

class CHexSendTest : public CTerminalDriver {
 protected:
  void SetUp() override {
    CTerminalDriver::SetUp();
    m_pty.MapPort(1, m_dir.File("com1"));
  }
  void TearDown() override {
    Close_Com(1);
    CTerminalDriver::TearDown();
  }

  CTempDir m_dir;
  CPseudoTerminal m_pty;
};

TEST_F(CHexSendTest, TheBytesOfTheHexTextAndTheTerminatorAreWhatGoesOnTheWire) {
  RunApp([&] {
    ASSERT_TRUE(Click(IDC_BUTTON_OPEN));
    ASSERT_TRUE(WorkMenu(IDC_EDIT_SEND, [](HMENU) { win::input::MenuChar(U'h'); }));
    Type(IDC_EDIT_SEND, u"01 03 00 00 00 0A C5 CD");
    Pick(IDC_COMBO_TERMINATOR, 4);
    Click(IDC_BUTTON_SEND);
    EXPECT_EQ(m_pty.Read(10), (std::vector<uint8_t>{0x01, 0x03, 0x00, 0x00, 0x00, 0x0A, 0xC5, 0xCD, 0x0D, 0x0A}));
    EXPECT_EQ(Text(IDC_EDIT_SEND_RECORD), u"01 03 00 00 00 0A C5 CD");

    // A text that is not hex: nothing goes out, and the status says why.
    Type(IDC_EDIT_SEND, u"01 03 0x0G");
    Click(IDC_BUTTON_SEND);
    std::u16string status = Text(IDC_EDIT_STATUS);
    EXPECT_EQ(status.substr(0, status.find(u';')), u"Not sent: \"G\" at position 10 is not a hex digit");
    EXPECT_EQ(Text(IDC_EDIT_SEND_RECORD), u"01 03 00 00 00 0A C5 CD");
    // The next send's bytes are the first the device reads after the refusal.
    Type(IDC_EDIT_SEND, u"ff");
    Click(IDC_BUTTON_SEND);
    EXPECT_EQ(m_pty.Read(3), (std::vector<uint8_t>{0xFF, 0x0D, 0x0A}));
  });
}

}  // namespace
