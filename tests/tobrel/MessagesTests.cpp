#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>

#include "LastMessage.h"
#include "Messages.h"
#include "PallixSDK.h"
#include "Phrases.h"
#include "SystemText.h"
#include "Tobrel.h"
#include "TobrelQueries.h"
#include "TobrelResults.h"

using namespace tobrel;

TEST(TobrelMessages, EveryCodeHasItsOwnTextAndUnknownCodesShowTheCode) {
  EXPECT_EQ(std::u16string(GetSerialErrorMessage(TOBREL_OK)), u"OK");
  EXPECT_EQ(std::u16string(GetSerialErrorMessage(0x1234)), u"Unknown result 0x1234 (4660)");
  EXPECT_EQ(std::u16string(GetSerialErrorMessage(0xFFFFFFFF)), u"Unknown result 0xFFFFFFFF (4294967295)");

  const uint32_t aCodes[] = {
      TOBREL_ERR_PORT_NUMBER,
      TOBREL_ERR_NOT_OPEN,
      TOBREL_ERR_IN_USE,
      TOBREL_ERR_NO_DEVICE,
      TOBREL_ERR_NO_HARDWARE,
      TOBREL_ERR_PERMISSION,
      TOBREL_ERR_CONSOLE,
      TOBREL_ERR_NOT_A_TTY,
      TOBREL_ERR_BAUD,
      TOBREL_ERR_DATA_BITS,
      TOBREL_ERR_PARITY,
      TOBREL_ERR_STOP_BITS,
      TOBREL_ERR_STOP_BITS_UNSUPPORTED,
      TOBREL_ERR_TWO_STOP_FIVE_DATA,
      TOBREL_ERR_SETTINGS_REFUSED,
      TOBREL_ERR_SEND_STALLED,
      TOBREL_ERR_SEND_QUEUE_FULL,
      TOBREL_ERR_SEND_DROPPED,
      TOBREL_ERR_DISCONNECTED,
      TOBREL_ERR_SEND_FAILED,
      TOBREL_ERR_NO_BUFFER,
      TOBREL_ERR_RECEIVE_TIMEOUT,
      TOBREL_ERR_OVERFLOW,
      TOBREL_ERR_REPLY_TIMEOUT,
      TOBREL_ERR_REPLY_TRUNCATED,
      TOBREL_ERR_CHECKSUM,
      TOBREL_ERR_CAPTURE,
      TOBREL_ERR_OPEN_COM,
  };
  std::set<uint32_t> setCodes;
  std::set<std::u16string> setTexts;
  for (uint32_t nCode : aCodes) {
    EXPECT_LT(nCode, 0x10000u);
    setCodes.insert(nCode);
    const std::u16string strText = GetSerialErrorMessage(nCode);
    EXPECT_EQ(strText.find(u"Unknown"), std::u16string::npos) << nCode;
    setTexts.insert(strText);
  }
  EXPECT_EQ(setCodes.size(), std::size(aCodes));
  EXPECT_EQ(setTexts.size(), std::size(aCodes));
  EXPECT_EQ(TOBREL_ERR_OPEN_COM, 0xFFFDu);
}

TEST(TobrelMessages, DetailsOfTheLatestFailureAndOneBufferPerThread) {
  EXPECT_EQ(Report(TOBREL_ERR_CHECKSUM, "COM9: the reply \"x\" has no valid checksum."), TOBREL_ERR_CHECKSUM);
  EXPECT_EQ(std::u16string(GetSerialErrorMessage(TOBREL_ERR_CHECKSUM)),
            u"COM9: the reply \"x\" has no valid checksum.");

  const char16_t* pMain = GetSerialErrorMessage(TOBREL_OK);
  std::u16string strOther;
  std::thread([&] { strOther = GetSerialErrorMessage(0x42); }).join();
  EXPECT_EQ(strOther, u"Unknown result 0x42 (66)");
  EXPECT_EQ(std::u16string(pMain), u"OK");

  EXPECT_EQ(WidenUtf8("/dev/t\xC3\xA9st"), u"/dev/t\u00E9st");
  EXPECT_EQ(WidenUtf8("\xF0\x9F\x94\x8C"), u"\U0001F50C");
  EXPECT_EQ(WidenUtf8("a\xFF"
                      "b\xC3"),
            u"a\uFFFDb\uFFFD");
  EXPECT_EQ(WidenUtf8("\xED\xA0\x80"), u"\uFFFD");
}

TEST(TobrelMessages, ALastMessageKeepsTheDetailOfTheCodeItsCallAnswered) {
  CLastMessage last;
  EXPECT_EQ(last.DetailOf(0), nullptr);
  EXPECT_EQ(last.Report(0xFF07, "COM2: /dev/tty0 is a virtual console."), 0xFF07u);
  ASSERT_NE(last.DetailOf(0xFF07), nullptr);
  EXPECT_EQ(*last.DetailOf(0xFF07), "COM2: /dev/tty0 is a virtual console.");
  EXPECT_EQ(last.DetailOf(0), nullptr);
  // A call that says nothing of its own leaves the code to its generic text.
  last.Report(0, "");
  EXPECT_EQ(last.DetailOf(0), nullptr);
  EXPECT_EQ(std::u16string(last.Show("/dev/t\xC3\xA9st")), u"/dev/t\u00E9st");
}

TEST(TobrelMessages, TheTerminalShowsAPhraseAsASentenceOfItsOwn) {
  EXPECT_EQ(Sentence(kChoosePort), u"Choose a COM port from the list or type one, COM1 to COM10");
  EXPECT_EQ(Sentence(kReplugAdvice), u"Plug it in and press Open Com.");
  EXPECT_EQ(Sentence(""), u"");
  // The library says the same words inside its own sentences.
  EXPECT_NE(std::u16string(GetSerialErrorMessage(TOBREL_ERR_PORT_NUMBER)).find(WidenUtf8(kChoosePort)),
            std::u16string::npos);
}

TEST(TobrelMessages, TheSerialLibraryAndTheSdkEachKeepTheirOwnLastMessage) {
  EXPECT_EQ(Open_Com(0, 9600, 8, 0, 0), TOBREL_ERR_PORT_NUMBER);
  EXPECT_EQ(ChangeSlotToKestra(9), PALLIX_ERR_SLOT);
  EXPECT_EQ(std::u16string(GetSerialErrorMessage(TOBREL_ERR_PORT_NUMBER)),
            u"Port 0 is not a port: choose a COM port from the list or type one, COM1 to COM10.");
  EXPECT_EQ(std::u16string(GetPallixMessage(PALLIX_ERR_SLOT)),
            u"The controller did not switch to slot 9: slots are 1 to 8.");
  EXPECT_EQ(std::u16string(GetPallixMessage(PALLIX_OK)), u"The controller switched slots.");
  EXPECT_EQ(std::u16string(GetSerialErrorMessage(TOBREL_OK)), u"OK");
}

TEST(TobrelMessages, QueriesLeaveTheLastMessageAsItWas) {
  // As after a Close Com, while the receive poll goes on asking.
  EXPECT_EQ(Open_Com(4, 0, 8, 0, 0), TOBREL_ERR_BAUD);
  const std::u16string strRefused = GetSerialErrorMessage(TOBREL_ERR_BAUD);
  EXPECT_EQ(strRefused, u"COM4: No baud rate chosen: choose a baud rate from the list or type one in bits per second.");
  EXPECT_EQ(DataSizeInCom(4), 0u);
  EXPECT_EQ(DataSizeInCom(0), 0u);
  EXPECT_EQ(LostBytesInCom(4), 0u);
  EXPECT_EQ(LostBytesInCom(11), 0u);
  GetSerialPortMap();
  EXPECT_EQ(std::u16string(GetSerialErrorMessage(TOBREL_ERR_BAUD)), strRefused);
}
