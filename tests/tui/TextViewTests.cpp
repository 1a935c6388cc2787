// The real program's text view in tmux, driven as a person at a terminal
// would: keys, clicks and resizes in, the screen's cells read back, the
// serial line played by the simulated controller or by the test itself.
#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>

#include "PseudoTerminal.h"
#include "Simulator.h"
#include "TmuxSession.h"

namespace {

// The row that holds text, or -1.
int RowOf(const std::vector<std::string>& rows, const std::string& strText) {
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i].find(strText) != std::string::npos) return static_cast<int>(i);
  return -1;
}

// Columns of a text in a row, counting each UTF-8 character as one.
int ColumnOf(const std::string& strRow, const std::string& strText) {
  size_t n = strRow.find(strText);
  if (n == std::string::npos) return -1;
  int nColumn = 0;
  for (size_t i = 0; i < n; ++i) nColumn += (static_cast<unsigned char>(strRow[i]) & 0xC0) != 0x80;
  return nColumn;
}

// Cells [nFrom, nTo) of a row, each UTF-8 character one cell.
std::string CellsOf(const std::string& strRow, int nFrom, int nTo) {
  std::string out;
  int nColumn = -1;
  for (size_t i = 0; i < strRow.size(); ++i) {
    nColumn += (static_cast<unsigned char>(strRow[i]) & 0xC0) != 0x80;
    if (nColumn >= nFrom && nColumn < nTo) out += strRow[i];
  }
  return out;
}

// The text of a box over the dialog that begins with strStart: its rows
// between the box's borders, down to the first blank one, joined by blanks.
std::string BoxText(const std::vector<std::string>& rows, const std::string& strStart) {
  int nRow = RowOf(rows, strStart);
  if (nRow < 0) return "";
  int nLeft = ColumnOf(rows[nRow], strStart);
  int nRight = nLeft + ColumnOf(CellsOf(rows[nRow], nLeft, 1000), "\u2502");
  std::string strText;
  for (int i = nRow; i < static_cast<int>(rows.size()); ++i) {
    std::string strLine = CellsOf(rows[i], nLeft, nRight);
    strLine.erase(strLine.find_last_not_of(' ') + 1);
    if (strLine.empty()) break;
    strText += (strText.empty() ? "" : " ") + strLine;
  }
  return strText;
}

// Cells of the button with a caption, brackets included, or -1.
int ButtonCells(const std::vector<std::string>& rows, const std::string& strCaption) {
  int nRow = RowOf(rows, strCaption);
  if (nRow < 0) return -1;
  const std::string& strRow = rows[nRow];
  size_t nAt = strRow.find(strCaption), nOpen = strRow.rfind('[', nAt), nClose = strRow.find(']', nAt);
  if (nOpen == std::string::npos || nClose == std::string::npos) return -1;
  const std::string strButton = strRow.substr(nOpen, nClose + 1 - nOpen);
  return ColumnOf(strButton + "\n", "\n");
}

// The status line: the rows below the Clear buttons, each without the
// dialog's cell before it and the blanks after, joined by blanks.
std::string StatusText(const std::vector<std::string>& rows) {
  std::string strText;
  for (size_t i = static_cast<size_t>(RowOf(rows, "Clear Receive")) + 1; i < rows.size(); ++i) {
    std::string strLine = CellsOf(rows[i], 1, 1000);
    strLine.erase(strLine.find_last_not_of(' ') + 1);
    strText += (strText.empty() ? "" : " ") + strLine;
  }
  return strText;
}

// Clicks into Send String and selects its text; answers the field's row.
int SelectSendString(const CTmuxSession& tmux, const std::vector<std::string>& rows) {
  int nSend = RowOf(rows, "Send String:") + 1;
  tmux.Click(ColumnOf(rows[nSend - 1], "Send String:") + 1, nSend);
  tmux.Keys({"C-a"});
  return nSend;
}

class CTextViewTest : public ::testing::Test {
 protected:
  // The program in a pane whose shell notes the terminal's modes before and
  // after it, and how it ended.
  std::string Command(const std::string& strEnvironment, const std::string& strTerm = "tmux-256color") const {
    return "ulimit -c 0; stty -g > " + m_dir.File("before") + "; env TERM=" + strTerm + " " + strEnvironment + " " +
           QUORVEL_PATH + " --text 2>" + m_dir.File("stderr") + "; echo \"ended $?\"; stty -g > " +
           m_dir.File("after") + "; exec sleep 600";
  }

  // The program ended as expected and left the terminal as it found it.
  void ExpectEndedAndRestored(const CTmuxSession& tmux, const std::string& strEnded) {
    ASSERT_TRUE(tmux.WaitForText(strEnded, 3000)) << tmux.Screen();
    ASSERT_TRUE(tmux.WaitFor([&](const std::string&) { return !ReadFile(m_dir.File("after")).empty(); }));
    EXPECT_EQ(ReadFile(m_dir.File("before")), ReadFile(m_dir.File("after")));
    EXPECT_EQ(tmux.Format("#{alternate_on} #{mouse_any_flag} #{cursor_flag} #{keypad_cursor_flag}"), "0 0 1 0");
    EXPECT_EQ(ReadFile(m_dir.File("stderr")), "");
    // The dialog is gone from the screen.
    EXPECT_EQ(tmux.Screen().find("Quorvel V 1.2"), std::string::npos);
  }

  CTempDir m_dir;
};

TEST_F(CTextViewTest, TheDialogTalksToTheModulesOfTheSimulatedController) {
  CSimulator sim(QUORVEL_SIM_PATH);
  ASSERT_TRUE(sim.WaitReady());
  CTmuxSession tmux(Command("QUORVEL_COM1=" + sim.Link() + " QUORVEL_BACKPLANE=" + sim.Backplane()), 80, 24);
  ASSERT_TRUE(tmux.WaitForText("Receive String Record:")) << tmux.Screen();

  // Every label and button whole, the start texts and selections shown, the
  // hidden buttons not.
  std::string strScreen = tmux.Screen();
  for (const char* psz : {"Quorvel V 1.2 Serial",
                          "COM Port:",
                          "Baudrate:",
                          "iKestra Slot On:",
                          "Parity:",
                          "Data Bit:",
                          "Stop Bit:",
                          "Send String With:",
                          "Send String:",
                          "Auto Send",
                          "Interval:",
                          "Delet Recive String tail:",
                          "Send String Record:",
                          "Receive String Record:",
                          "Open Com",
                          "Close Com",
                          "Send ",
                          "Set",
                          "Start Auto",
                          "Stop Auto",
                          "Clear Send",
                          "Clear Receive",
                          "Non Parity",
                          "1    Stop Bit",
                          "$00M",
                          "100"})
    EXPECT_NE(strScreen.find(psz), std::string::npos) << psz << "\n" << strScreen;
  EXPECT_EQ(strScreen.find("ScanKes"), std::string::npos);
  EXPECT_EQ(strScreen.find("Button1"), std::string::npos);
  auto rows = tmux.Rows();
  int nLists = RowOf(rows, "COM1");
  ASSERT_GE(nLists, 0);
  for (const char* psz : {"115200", "SLOT 7"}) EXPECT_NE(rows[nLists].find(psz), std::string::npos) << psz;
  int nSecond = RowOf(rows, "Non Parity");
  ASSERT_GE(nSecond, 0);
  for (const char* psz : {"8 ", "1    Stop Bit", "CR "}) EXPECT_NE(rows[nSecond].find(psz), std::string::npos) << psz;
  EXPECT_NE(rows[RowOf(rows, "Delet Recive String tail:")].find("Non"), std::string::npos);

  // Open Com by Enter on it, Send by Space: the module at slot 7 answers.
  tmux.Keys({"Tab", "Tab", "Tab", "Tab", "Tab", "Enter"});
  tmux.Keys({"Tab", "Tab", "Tab", "Tab", "Space"});
  ASSERT_TRUE(tmux.WaitForText("!00KESTRA-7017")) << tmux.Screen();
  rows = tmux.Rows();
  int nRecords = RowOf(rows, "Send String Record:") + 1;
  EXPECT_EQ(ColumnOf(rows[nRecords], "$00M"), ColumnOf(rows[nRecords - 1], "Send String Record:") - 1);
  EXPECT_NE(rows.back().find("5 bytes are on their way"), std::string::npos) << "status line: " << rows.back();

  // Up on the slot list switches the controller to slot 3, whose module answers.
  tmux.Keys({"Tab", "Up", "Up", "Up", "Up"});
  ASSERT_TRUE(tmux.WaitForText("SLOT 3"));
  tmux.Keys({"BTab", "Enter"});
  ASSERT_TRUE(tmux.WaitForText("!00KESTRA-7012")) << tmux.Screen();

  // The slot list dropped down with F4, an item picked with Down and Enter.
  tmux.Keys({"Tab", "F4"});
  ASSERT_TRUE(tmux.WaitForText("SLOT 5"));
  tmux.Keys({"Up", "Up", "Enter"});
  ASSERT_TRUE(tmux.WaitFor([](const std::string& s) { return s.find("SLOT 5") == std::string::npos; }));
  EXPECT_NE(tmux.Screen().find("SLOT 1"), std::string::npos);

  // Clicks: Clear Receive empties the record, Send asks slot 1's module.
  rows = tmux.Rows();
  int nClear = RowOf(rows, "Clear Receive");
  tmux.Click(ColumnOf(rows[nClear], "Clear Receive"), nClear);
  ASSERT_TRUE(tmux.WaitFor([](const std::string& s) { return s.find("KESTRA") == std::string::npos; }));
  int nSend = RowOf(rows, "  Send  ");
  tmux.Click(ColumnOf(rows[nSend], "  Send  ") + 2, nSend);
  ASSERT_TRUE(tmux.WaitForText("!00KESTRA-7065")) << tmux.Screen();

  // Typed text replaces the field's text and goes out; the module echoes it.
  tmux.Keys({"BTab"});
  tmux.Type("hello there");
  tmux.Keys({"Tab", "Enter"});
  ASSERT_TRUE(tmux.WaitForText("hello there")) << tmux.Screen();
  rows = tmux.Rows();
  EXPECT_NE(rows[nRecords].find("$00M$00M$00Mhello there"), std::string::npos) << rows[nRecords];

  // With records, Escape asks first, in a box over the dialog. No is the
  // default: Enter, Escape and the box's close all keep the session.
  const std::string strAsk = "End the terminal?";
  auto boxGone = [&](const std::string& s) { return s.find(strAsk) == std::string::npos; };
  for (const char* pszAnswer : {"Enter", "Escape", "close"}) {
    SCOPED_TRACE(pszAnswer);
    tmux.Keys({"Escape"});
    ASSERT_TRUE(tmux.WaitForText(strAsk)) << tmux.Screen();
    rows = tmux.Rows();
    EXPECT_EQ(BoxText(rows, strAsk), "End the terminal? The send and receive records will be lost.") << tmux.Screen();
    int nAsk = RowOf(rows, strAsk);
    int nButtons = RowOf(rows, "Yes");
    EXPECT_GT(nButtons, nAsk);
    EXPECT_NE(rows[nButtons].find("No"), std::string::npos) << rows[nButtons];
    EXPECT_EQ(rows[0].find("Quorvel V 1.2 Serial"), 0u);
    EXPECT_NE(tmux.Screen().find("Clear Receive"), std::string::npos);
    if (pszAnswer == std::string("close"))
      tmux.Click(ColumnOf(rows[nAsk - 1], "[\u00d7]") + 1, nAsk - 1);
    else
      tmux.Keys({pszAnswer});
    ASSERT_TRUE(tmux.WaitFor(boxGone)) << tmux.Screen();
    rows = tmux.Rows();
    EXPECT_NE(rows[nRecords].find("$00M$00M$00Mhello there"), std::string::npos) << tmux.Screen();
    EXPECT_NE(tmux.Screen().find("!00KESTRA-7065"), std::string::npos) << tmux.Screen();
  }
  // Yes, clicked, ends.
  tmux.Keys({"Escape"});
  ASSERT_TRUE(tmux.WaitForText(strAsk)) << tmux.Screen();
  rows = tmux.Rows();
  int nYes = RowOf(rows, "Yes");
  tmux.Click(ColumnOf(rows[nYes], "Yes"), nYes);
  ExpectEndedAndRestored(tmux, "ended 0");
}

// The colour sequences just before the last row's strText on the coloured screen.
std::string StyleBefore(const CTmuxSession& tmux, const std::string& strText) {
  std::string strRow;
  std::istringstream in(tmux.Screen(true));
  for (std::string line; std::getline(in, line);)
    if (line.find(strText) != std::string::npos) strRow = line;
  size_t nText = strRow.find(strText), nStart = nText;
  while (nStart != std::string::npos && nStart > 0 && strRow[nStart - 1] == 'm')
    nStart = strRow.rfind("\033[", nStart - 1);
  return nStart == std::string::npos ? "" : strRow.substr(nStart, nText - nStart);
}

TEST_F(CTextViewTest, TheBoxAnswersNAndYWithTheRecordsGreyedBehindIt) {
  CSimulator sim(QUORVEL_SIM_PATH);
  ASSERT_TRUE(sim.WaitReady());
  CTmuxSession tmux(Command("QUORVEL_COM1=" + sim.Link() + " QUORVEL_BACKPLANE=" + sim.Backplane()), 80, 24);
  ASSERT_TRUE(tmux.WaitForText("Receive String Record:")) << tmux.Screen();
  // Open Com, then four sends: the answers fill the receive record's rows
  // down past the box that is to come.
  tmux.Keys(
      {"Tab", "Tab", "Tab", "Tab", "Tab", "Enter", "Tab", "Tab", "Tab", "Tab", "Space", "Space", "Space", "Space"});
  const std::string strAnswer = "!00KESTRA-7017";
  auto answers = [&](const std::string& strScreen) {
    size_t n = 0;
    for (size_t i = strScreen.find(strAnswer); i != std::string::npos; i = strScreen.find(strAnswer, i + 1)) ++n;
    return n;
  };
  ASSERT_TRUE(tmux.WaitFor([&](const std::string& s) { return answers(s) == 4; })) << tmux.Screen();
  const std::string strShown = StyleBefore(tmux, strAnswer);

  const std::string strAsk = "End the terminal?";
  for (const char* pszKeep : {"n", "M-n"}) {
    SCOPED_TRACE(pszKeep);
    tmux.Keys({"Escape"});
    ASSERT_TRUE(tmux.WaitForText(strAsk)) << tmux.Screen();
    // The buttons show their mnemonics underlined, without the &.
    const std::string strScreen = tmux.Screen();
    EXPECT_NE(strScreen.find("Yes"), std::string::npos) << strScreen;
    EXPECT_EQ(strScreen.find('&'), std::string::npos) << strScreen;
    const std::string strColoured = tmux.Screen(true);
    for (const char* pszMark : {"\033[4mY", "\033[4mN"}) EXPECT_NE(strColoured.find(pszMark), std::string::npos);
    // The answers the box leaves uncovered are still there, greyed.
    EXPECT_GE(answers(strScreen), 1u) << strScreen;
    EXPECT_NE(StyleBefore(tmux, strAnswer), strShown);
    tmux.Keys({pszKeep});
    ASSERT_TRUE(tmux.WaitFor([&](const std::string& s) { return s.find(strAsk) == std::string::npos; }))
        << tmux.Screen();
    EXPECT_EQ(answers(tmux.Screen()), 4u) << tmux.Screen();
    EXPECT_EQ(StyleBefore(tmux, strAnswer), strShown);
  }
  tmux.Keys({"Escape"});
  ASSERT_TRUE(tmux.WaitForText(strAsk)) << tmux.Screen();
  tmux.Keys({"y"});
  ExpectEndedAndRestored(tmux, "ended 0");
}

TEST_F(CTextViewTest, BytesGoOutOnThePortAndReceivedControlSequencesShowAsPictures) {
  CPseudoTerminal pty;
  CTmuxSession tmux(Command("QUORVEL_COM1=" + pty.Slave()), 80, 24);
  ASSERT_TRUE(tmux.WaitForText("Receive String Record:"));
  std::string strTitle = tmux.Format("#{pane_title}");

  tmux.Keys({"Tab", "Tab", "Tab", "Tab", "Tab", "Enter", "Tab", "Tab", "Tab", "Tab", "Enter"});
  auto sent = pty.Read(5);
  EXPECT_EQ(std::string(sent.begin(), sent.end()), "$00M\r");

  // Clearing the screen, setting the title and the clipboard, and a colour:
  // all shown as pictures, none done.
  ASSERT_TRUE(pty.Write("\x1b[2J\x1b]2;pwned\x07\r\n\x1b]52;c;cHduZWQ=\x07\r\n\x1b[41mred\x7f|\x01\r\n"));
  ASSERT_TRUE(tmux.WaitForText("\u241b[41mred\u2421|\u2401")) << tmux.Screen();
  for (const char* psz : {"\u241b[2J\u241b]2;pwned\u2407", "\u241b]52;c;cHduZWQ=\u2407"})
    EXPECT_NE(tmux.Screen().find(psz), std::string::npos) << psz;
  EXPECT_EQ(tmux.Format("#{pane_title}"), strTitle);
  std::string strScreen = tmux.Screen(true);
  EXPECT_EQ(strScreen.find("\x1b[41m"), std::string::npos);
  EXPECT_EQ(tmux.Rows().front().find("Quorvel V 1.2 Serial"), 0u);
  EXPECT_NE(tmux.Screen().find("COM Port:"), std::string::npos);

  // The dialog's peach and white fields, in the nearest of 256 colours.
  EXPECT_NE(strScreen.find("48;5;217m"), std::string::npos);
  EXPECT_NE(strScreen.find("48;5;231m"), std::string::npos);

  // What a person types goes out.
  tmux.Keys({"BTab"});
  tmux.Type("AB");
  tmux.Keys({"Tab", "Enter"});
  sent = pty.Read(3);
  EXPECT_EQ(std::string(sent.begin(), sent.end()), "AB\r");

  // Typing into the record box edits it until the next refresh.
  auto rows = tmux.Rows();
  int nLabel = RowOf(rows, "Receive String Record:");
  tmux.Click(ColumnOf(rows[nLabel], "Receive String Record:") + 2, nLabel + 6);
  tmux.Type("typed");
  ASSERT_TRUE(tmux.WaitForText("typed")) << tmux.Screen();
  ASSERT_TRUE(pty.Write("more\r\n"));
  ASSERT_TRUE(tmux.WaitForText("more"));
  EXPECT_EQ(tmux.Screen().find("typed"), std::string::npos);
  EXPECT_NE(tmux.Screen().find("\u241b[2J"), std::string::npos);

  // Enter in Send String, after a command as a person types it, asks before
  // the records go; Tab to Yes and Enter end.
  tmux.Click(ColumnOf(rows[RowOf(rows, "Send String:") + 1], "AB"), RowOf(rows, "Send String:") + 1);
  tmux.Keys({"Enter"});
  ASSERT_TRUE(tmux.WaitForText("End the terminal?")) << tmux.Screen();
  EXPECT_EQ(BoxText(tmux.Rows(), "End the terminal?"), "End the terminal? The send and receive records will be lost.");
  tmux.Keys({"Tab", "Enter"});
  ExpectEndedAndRestored(tmux, "ended 0");
}

// The record box keeps the edit box's rules: Home to the row's start,
// Ctrl+Home to the text's, and an arrow without Shift drops the selection at
// its side.
TEST_F(CTextViewTest, HomeKeepsToTheRowCtrlHomeToTheTextAndAnArrowDropsTheSelection) {
  CTmuxSession tmux(Command(""), 80, 24);
  ASSERT_TRUE(tmux.WaitForText("Receive String Record:"));
  auto rows = tmux.Rows();
  int nTop = RowOf(rows, "Receive String Record:") + 1;
  int nLeft = ColumnOf(rows[nTop - 1], "Receive String Record:");
  tmux.Click(nLeft + 2, nTop);
  std::string strTyped;
  for (int i = 0; i < 30; ++i) strTyped += "word" + std::to_string(i) + " ";
  tmux.Type(strTyped);
  ASSERT_TRUE(tmux.WaitForText("word29")) << tmux.Screen();
  auto cursor = [&] { return tmux.Format("#{cursor_x} #{cursor_y}"); };
  auto waitCursor = [&](int x, int y) {
    std::string strWanted = std::to_string(x) + " " + std::to_string(y);
    return tmux.WaitFor([&](const std::string&) { return cursor() == strWanted; });
  };
  int nLast = RowOf(tmux.Rows(), "word29");
  ASSERT_GT(nLast, nTop) << tmux.Screen();  // the text wrapped
  int nRowStart = ColumnOf(tmux.Rows()[nLast], "word");
  tmux.Keys({"Home"});
  EXPECT_TRUE(waitCursor(nRowStart, nLast)) << cursor();
  tmux.Keys({"S-Right", "S-Right", "S-Right", "Left"});
  EXPECT_TRUE(waitCursor(nRowStart, nLast)) << cursor();
  tmux.Keys({"S-Right", "S-Right", "Right"});
  EXPECT_TRUE(waitCursor(nRowStart + 2, nLast)) << cursor();
  tmux.Keys({"C-Home"});
  EXPECT_TRUE(waitCursor(nLeft, nTop)) << cursor();
  tmux.Keys({"Escape"});
  ExpectEndedAndRestored(tmux, "ended 0");
}

TEST_F(CTextViewTest, APasteIsTextThatAFieldTakesItsFirstLineOfAndARecordWhole) {
  CTmuxSession tmux(Command(""), 80, 24);
  ASSERT_TRUE(tmux.WaitForText("Receive String Record:"));
  auto rows = tmux.Rows();
  const int nSend = SelectSendString(tmux, rows);
  // The line break is no Enter: the program goes on, the field holds the first line.
  tmux.Paste("first line\nsecond line\n");
  ASSERT_TRUE(tmux.WaitFor([&](const std::string&) {
    return tmux.Rows()[nSend].find("first line") != std::string::npos;
  })) << tmux.Screen();
  EXPECT_EQ(tmux.Screen().find("second line"), std::string::npos) << tmux.Screen();
  EXPECT_EQ(tmux.Screen().find("ended"), std::string::npos) << tmux.Screen();
  // The receive record takes both lines.
  int nTop = RowOf(rows, "Receive String Record:") + 1;
  tmux.Click(ColumnOf(rows[nTop - 1], "Receive String Record:") + 2, nTop);
  tmux.Paste("north\nsouth\n");
  ASSERT_TRUE(tmux.WaitForText("south")) << tmux.Screen();
  rows = tmux.Rows();
  EXPECT_EQ(RowOf(rows, "south"), RowOf(rows, "north") + 1) << tmux.Screen();
  EXPECT_EQ(tmux.Screen().find("ended"), std::string::npos) << tmux.Screen();
  // Escape ends it.
  tmux.Keys({"Escape"});
  ExpectEndedAndRestored(tmux, "ended 0");
}

TEST_F(CTextViewTest, OneEscapeEndsTheProgramWhicheverControlWasClickedLast) {
  // Open Com used to want a second Escape after a click on it.
  for (const char* pszControl : {"Open Com", "Close Com", "Set", "Clear Receive", "COM Port:", "Send String:"}) {
    SCOPED_TRACE(pszControl);
    CTmuxSession tmux(Command(""), 80, 24);
    ASSERT_TRUE(tmux.WaitForText("Receive String Record:"));
    auto rows = tmux.Rows();
    int nRow = RowOf(rows, pszControl);
    ASSERT_GE(nRow, 0) << tmux.Screen();
    // A label's control is the row below it.
    bool bLabel = std::string_view(pszControl).ends_with(':');
    tmux.Click(ColumnOf(rows[nRow], pszControl) + 1, nRow + (bLabel ? 1 : 0));
    if (std::string_view(pszControl) == "Open Com") {
      // The open has answered in the status line.
      ASSERT_TRUE(tmux.WaitFor([&](const std::string&) { return !StatusText(tmux.Rows()).empty(); })) << tmux.Screen();
    }
    tmux.Keys({"Escape"});
    ExpectEndedAndRestored(tmux, "ended 0");
  }
}

TEST_F(CTextViewTest, AFieldDrawsWhatIsInViewOfAVeryLongText) {
  CTmuxSession tmux(Command(""), 80, 24);
  ASSERT_TRUE(tmux.WaitForText("Receive String Record:"));
  auto rows = tmux.Rows();
  SelectSendString(tmux, rows);
  // A quarter of a megabyte with the caret at its end: the field shows the end.
  tmux.Paste(std::string(256 * 1024, 'x') + "TAILEND");
  ASSERT_TRUE(tmux.WaitForText("xxxxTAILEND", 30000)) << tmux.Screen();
  tmux.Keys({"Home"});
  ASSERT_TRUE(tmux.WaitFor([&](const std::string& s) { return s.find("TAILEND") == std::string::npos; }))
      << tmux.Screen();
  tmux.Keys({"End", "Tab"});
  ASSERT_TRUE(tmux.WaitForText("xxxxTAILEND")) << tmux.Screen();
  tmux.Keys({"Escape"});
  ExpectEndedAndRestored(tmux, "ended 0");
}

// The library's long messages are read whole where they show, without
// scrolling: the status line wraps over the rows it needs, taken from the
// records, at 80 x 24 and larger.
TEST_F(CTextViewTest, ALongStatusMessageIsShownWholeOverTheRowsItNeeds) {
  CPseudoTerminal pty;
  // A device only its owner may use, opened by another user.
  const bool bRoot = geteuid() == 0;
  if (bRoot) {
    ASSERT_EQ(chown(pty.Slave().c_str(), 0, 0), 0);
  }
  ASSERT_EQ(chmod(pty.Slave().c_str(), bRoot ? 0600 : 0000), 0);
  const std::string strOwner = bRoot ? "root" : getpwuid(geteuid())->pw_name;
  const std::string strAsNobody = bRoot ? " setpriv --reuid=65534 --regid=65534 --clear-groups" : "";
  CTmuxSession tmux(Command("QUORVEL_COM1=" + pty.Slave() + strAsNobody), 80, 24);
  ASSERT_TRUE(tmux.WaitForText("Receive String Record:"));
  auto rows = tmux.Rows();
  const int nRecordRows = RowOf(rows, "Clear Receive") - RowOf(rows, "Receive String Record:") - 1;

  tmux.Keys({"Tab", "Tab", "Tab", "Tab", "Tab", "Enter"});
  const std::string strMessage = "COM1: " + pty.Slave() + ": permission denied. Nobody but its owner (" + strOwner +
                                 ") may use it. An administrator grants access with a udev rule setting "
                                 "GROUP=\"dialout\", MODE=\"0660\" for it.";
  ASSERT_TRUE(tmux.WaitFor([&](const std::string&) { return StatusText(tmux.Rows()) == strMessage; })) << tmux.Screen();
  rows = tmux.Rows();
  const int nStatusRows = static_cast<int>(rows.size()) - RowOf(rows, "Clear Receive") - 1;
  EXPECT_EQ(nStatusRows, 3) << tmux.Screen();
  EXPECT_EQ(RowOf(rows, "Clear Receive") - RowOf(rows, "Receive String Record:") - 1, nRecordRows - (nStatusRows - 1));
  for (const char* psz : {"Open Com", "Close Com", "Clear Send", "Receive String Record:"})
    EXPECT_NE(tmux.Screen().find(psz), std::string::npos) << psz;

  // Wider, it takes fewer rows; the records get theirs back.
  tmux.Resize(120, 30);
  ASSERT_TRUE(tmux.WaitFor([&](const std::string&) {
    auto now = tmux.Rows();
    return now.size() == 30 && StatusText(now) == strMessage &&
           static_cast<int>(now.size()) - RowOf(now, "Clear Receive") - 1 == 2;
  })) << tmux.Screen();

  // Text past what the records can give ends in a mark that more follows.
  tmux.Resize(80, 24);
  ASSERT_TRUE(tmux.WaitFor([&](const std::string&) { return StatusText(tmux.Rows()) == strMessage; }));
  tmux.Keys({"Tab", "Tab"});
  std::string strTyped;
  for (int i = 0; i < 90; ++i) strTyped += "line " + std::to_string(i) + " ";
  tmux.Type(strTyped);
  tmux.Keys({"C-Home"});
  ASSERT_TRUE(tmux.WaitFor([&](const std::string&) { return StatusText(tmux.Rows()).starts_with("line 0 line 1"); }))
      << tmux.Screen();
  rows = tmux.Rows();
  EXPECT_EQ(RowOf(rows, "Clear Receive") - RowOf(rows, "Receive String Record:") - 1, 3) << tmux.Screen();
  EXPECT_NE(rows.back().find("\u2026"), std::string::npos) << tmux.Screen();
  tmux.Keys({"Escape"});
  ExpectEndedAndRestored(tmux, "ended 0");
}

TEST_F(CTextViewTest, ColoursAreExactWithDirectColourAndReadableWithNone) {
  auto shows = [](const std::vector<std::string>& vecWanted) {
    return [=](const std::string& s) {
      for (const std::string& str : vecWanted)
        if (s.find(str) == std::string::npos) return false;
      return true;
    };
  };
  {
    CTmuxSession tmux(Command("", "tmux-direct"), 80, 24);
    EXPECT_TRUE(tmux.WaitFor(shows({"48;2;255;193;164m", "48;2;255;255;255m", "Receive String Record:"}), 5000, true))
        << tmux.Screen(true);
  }
  {
    CTmuxSession tmux(Command("", "vt100"), 80, 24);
    // The focused list's field stands out, reversed.
    EXPECT_TRUE(tmux.WaitFor(shows({"\x1b[7mCOM1", "Receive String Record:"}), 5000, true)) << tmux.Screen(true);
    EXPECT_EQ(tmux.Screen(true).find("48;"), std::string::npos);
    tmux.Keys({"Escape"});
    ExpectEndedAndRestored(tmux, "ended 0");
  }
}

TEST_F(CTextViewTest, ATerminalThatCannotMoveTheCursorIsToldAndLeftAsItWas) {
  for (const auto& [strTerm, strWhy] :
       {std::pair<std::string, std::string>{"dumb", "the terminal type \"dumb\" cannot move the cursor"},
        {"no-such-terminal", "the terminal type \"no-such-terminal\" is not known"},
        {"", "TERM is not set"}}) {
    SCOPED_TRACE(strTerm);
    std::filesystem::remove(m_dir.File("after"));
    CTmuxSession tmux(Command("", strTerm), 80, 24);
    ASSERT_TRUE(tmux.WaitForText("ended 1", 3000)) << tmux.Screen();
    ASSERT_TRUE(tmux.WaitFor([&](const std::string&) { return !ReadFile(m_dir.File("after")).empty(); }));
    EXPECT_EQ(ReadFile(m_dir.File("stderr")), "quorvel: cannot show the terminal here: " + strWhy +
                                                  "; set TERM to your terminal's type, for example xterm-256color.\n");
    EXPECT_EQ(ReadFile(m_dir.File("before")), ReadFile(m_dir.File("after")));
  }
}

// The record box's menu, opened as a person does with a right click or
// Shift+F10: a box over the dialog, picked from by its mnemonics, while the
// receive poll goes on.
TEST_F(CTextViewTest, TheRecordMenuOpensOverTheDialogAndItsMnemonicsPick) {
  CPseudoTerminal pty;
  CTmuxSession tmux(Command("QUORVEL_COM1=" + pty.Slave()), 80, 24);
  ASSERT_TRUE(tmux.WaitForText("Receive String Record:"));
  tmux.Keys({"Tab", "Tab", "Tab", "Tab", "Tab", "Enter"});
  ASSERT_TRUE(pty.Write("hello\r\nworld\r\n"));
  ASSERT_TRUE(tmux.WaitForText("world")) << tmux.Screen();
  auto rows = tmux.Rows();
  int nLabel = RowOf(rows, "Receive String Record:");
  int nLeft = ColumnOf(rows[nLabel], "Receive String Record:");

  // Nothing selected: what needs a selection or a clipboard is grayed.
  tmux.Click(nLeft + 2, nLabel + 3, 2);
  ASSERT_TRUE(tmux.WaitForText("Select All")) << tmux.Screen();
  rows = tmux.Rows();
  int nTop = RowOf(rows, "Cut");
  ASSERT_GT(nTop, 0);
  int nColumn = ColumnOf(rows[nTop], "Cut");
  EXPECT_EQ(ColumnOf(rows[nTop - 1], "\u250C"), nColumn - 4) << tmux.Screen();
  std::vector<std::string> items;
  for (int i = nTop; i < nTop + 6; ++i) {
    std::string strItem = CellsOf(rows[i], nColumn - 4, nColumn + 13);
    items.push_back(strItem);
  }
  EXPECT_EQ(
      items,
      (std::vector<std::string>{
          "\u2502   Cut         \u2502", "\u2502   Copy        \u2502", "\u2502   Paste       \u2502",
          "\u2502   Delete      \u2502",
          "\u251C\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2524",
          "\u2502   Select All  \u2502"}))
      << tmux.Screen();
  // The mnemonic A picks Select All and the menu goes.
  tmux.Type("a");
  ASSERT_TRUE(tmux.WaitFor([](const std::string& s) { return s.find("Select All") == std::string::npos; }))
      << tmux.Screen();

  // From the keyboard: Copy, then Delete empties the box.
  tmux.Keys({"S-F10"});
  ASSERT_TRUE(tmux.WaitForText("Select All")) << tmux.Screen();
  tmux.Type("c");
  tmux.Keys({"S-F10"});
  ASSERT_TRUE(tmux.WaitForText("Select All")) << tmux.Screen();
  tmux.Keys({"Down", "Down", "Down"});
  tmux.Type("d");
  ASSERT_TRUE(tmux.WaitFor([](const std::string& s) { return s.find("hello") == std::string::npos; })) << tmux.Screen();

  // The receive poll goes on under an open menu, here at the box's right
  // edge; Escape closes it.
  tmux.Click(nLeft + 30, nLabel + 6, 2);
  ASSERT_TRUE(tmux.WaitForText("Select All")) << tmux.Screen();
  ASSERT_TRUE(pty.Write("more\r\n"));
  ASSERT_TRUE(tmux.WaitForText("more")) << tmux.Screen();
  EXPECT_NE(tmux.Screen().find("Select All"), std::string::npos);
  tmux.Keys({"Escape"});
  ASSERT_TRUE(tmux.WaitFor([](const std::string& s) { return s.find("Select All") == std::string::npos; }))
      << tmux.Screen();
}

// Send String's menu offers Send as Hex, a check, picked by a right click
// and by its mnemonic; while it is on, HEX stands at the field's right edge
// and the field's text goes out as the bytes it spells.
TEST_F(CTextViewTest, SendAsHexFromSendStringsMenuShowsItsTagAndSendsTheBytes) {
  CPseudoTerminal pty;
  CTmuxSession tmux(Command("QUORVEL_COM1=" + pty.Slave()), 80, 24);
  ASSERT_TRUE(tmux.WaitForText("Receive String Record:"));
  tmux.Keys({"Tab", "Tab", "Tab", "Tab", "Tab", "Enter"});
  auto rows = tmux.Rows();
  const int nSend = RowOf(rows, "Send String:") + 1;
  const int nLeft = ColumnOf(rows[nSend - 1], "Send String:");
  // The field's cells, up to the last that is not blank.
  auto field = [&](const std::vector<std::string>& r) {
    std::string strCells = CellsOf(r[nSend], nLeft, 1000);
    return strCells.erase(strCells.find_last_not_of(' ') + 1);
  };
  EXPECT_EQ(field(rows), "$00M") << tmux.Screen();

  // A right click opens the menu with the entry last, unchecked; a click on it checks it.
  tmux.Click(nLeft + 1, nSend, 2);
  ASSERT_TRUE(tmux.WaitForText("Send as Hex")) << tmux.Screen();
  rows = tmux.Rows();
  int nItem = RowOf(rows, "Send as Hex");
  int nColumn = ColumnOf(rows[nItem], "Send as Hex");
  EXPECT_EQ(CellsOf(rows[nItem], nColumn - 4, nColumn), "\u2502   ") << tmux.Screen();
  EXPECT_NE(rows[nItem - 1].find("\u251C\u2500"), std::string::npos) << tmux.Screen();
  EXPECT_NE(rows[nItem - 2].find("Select All"), std::string::npos) << tmux.Screen();
  tmux.Click(nColumn, nItem);
  ASSERT_TRUE(tmux.WaitFor([&](const std::string&) { return field(tmux.Rows()).ends_with(" HEX"); })) << tmux.Screen();
  EXPECT_EQ(field(tmux.Rows()).substr(0, 5), "$00M ");

  // A text longer than the field scrolls left of the tag, a cell kept for the caret.
  SelectSendString(tmux, rows);
  tmux.Type("01 03 00 00 00 0A C5 CD 01 03 00 00 00 0A C5 CD 01 03 00 00 00 0A C5 CD");
  ASSERT_TRUE(tmux.WaitFor([&](const std::string&) { return field(tmux.Rows()).ends_with("C5 CD  HEX"); }))
      << tmux.Screen();
  tmux.Keys({"Tab", "Enter"});
  auto sent = pty.Read(25);
  std::vector<uint8_t> want;
  for (int i = 0; i < 3; ++i) want.insert(want.end(), {0x01, 0x03, 0x00, 0x00, 0x00, 0x0A, 0xC5, 0xCD});
  want.push_back(0x0D);
  EXPECT_EQ(sent, want);

  // The check shows; its mnemonic turns it off and the tag goes.
  SelectSendString(tmux, rows);
  tmux.Keys({"S-F10"});
  ASSERT_TRUE(tmux.WaitForText("Send as Hex")) << tmux.Screen();
  rows = tmux.Rows();
  nItem = RowOf(rows, "Send as Hex");
  nColumn = ColumnOf(rows[nItem], "Send as Hex");
  EXPECT_EQ(CellsOf(rows[nItem], nColumn - 4, nColumn), "\u2502 \u2713 ") << tmux.Screen();
  tmux.Type("h");
  ASSERT_TRUE(tmux.WaitFor([&](const std::string& s) {
    return s.find("Send as Hex") == std::string::npos && field(tmux.Rows()).find("HEX") == std::string::npos;
  })) << tmux.Screen();
}

TEST_F(CTextViewTest, ASignalEndingTheProgramClosesThePortAndLeavesEverySentBlockInTheCaptureFile) {
  for (int nSignal : {SIGHUP, SIGTERM}) {
    SCOPED_TRACE(strsignal(nSignal));
    CPseudoTerminal pty;
    const std::string strCapture = m_dir.File("capture-" + std::to_string(nSignal));
    CTmuxSession tmux(Command("QUORVEL_COM1=" + pty.Slave() + " QUORVEL_CAPTURE=" + strCapture), 80, 24);
    ASSERT_TRUE(tmux.WaitForText("Receive String Record:"));
    tmux.Keys({"Tab", "Tab", "Tab", "Tab", "Tab", "Enter", "Tab", "Tab", "Tab", "Tab", "Enter"});
    // The device has the block: the program ends right then.
    ASSERT_EQ(pty.Read(5), std::vector<uint8_t>({'$', '0', '0', 'M', '\r'}));
    kill(tmux.ProgramPid(), nSignal);
    ASSERT_TRUE(tmux.WaitForText("ended " + std::to_string(128 + nSignal), 3000)) << tmux.Screen();
    EXPECT_NE(ReadFile(strCapture).find(" COM1 > $00M\\r\n"), std::string::npos) << ReadFile(strCapture);
    // The port was closed first.
    EXPECT_NE(ReadFile(strCapture).find(" COM1 ! closed\n"), std::string::npos) << ReadFile(strCapture);
  }
}

TEST_F(CTextViewTest, ResizingGivesTheRecordsTheRoomKeepsTheButtonsAndTooSmallAsksForMore) {
  CTmuxSession tmux(Command(""), 80, 24);
  ASSERT_TRUE(tmux.WaitForText("Receive String Record:"));
  // Alt+Down drops the focused list down; Escape there only closes it.
  tmux.Keys({"M-Down"});
  ASSERT_TRUE(tmux.WaitForText("COM5")) << tmux.Screen();
  tmux.Keys({"Escape"});
  ASSERT_TRUE(tmux.WaitFor([](const std::string& s) { return s.find("COM5") == std::string::npos; }));
  EXPECT_NE(tmux.Screen().find("Receive String Record:"), std::string::npos);

  auto rows = tmux.Rows();
  int nRecordRows = RowOf(rows, "Clear Receive") - RowOf(rows, "Receive String Record:") - 1;
  EXPECT_GE(nRecordRows, 5);
  const std::vector<std::string> vecButtons = {"Open Com",  "Close Com",  "Set",           "Start Auto",
                                               "Stop Auto", "Clear Send", "Clear Receive", "Send  "};
  std::vector<int> vecWidths;
  for (const std::string& str : vecButtons) vecWidths.push_back(ButtonCells(rows, str));

  // A wider terminal stretches no button.
  tmux.Resize(120, 30);
  ASSERT_TRUE(tmux.WaitFor([](const std::string& s) { return ColumnOf(s.substr(0, s.find('\n')), "[\u00d7]") == 117; }))
      << tmux.Screen();
  rows = tmux.Rows();
  for (size_t i = 0; i < vecButtons.size(); ++i)
    EXPECT_EQ(ButtonCells(rows, vecButtons[i]), vecWidths[i]) << vecButtons[i] << "\n" << tmux.Screen();

  tmux.Resize(100, 40);
  ASSERT_TRUE(tmux.WaitFor([](const std::string& s) {
    std::istringstream in(s);
    int n = 0;
    for (std::string line; std::getline(in, line); ++n)
      if (line.find("Clear Receive") != std::string::npos) return n == 38;
    return false;
  })) << tmux.Screen();
  rows = tmux.Rows();
  EXPECT_EQ(RowOf(rows, "Clear Receive") - RowOf(rows, "Receive String Record:") - 1, nRecordRows + 16);
  EXPECT_EQ(ColumnOf(rows[0], "[\u00d7]"), 97);

  tmux.Resize(60, 20);
  ASSERT_TRUE(tmux.WaitForText("Please make the terminal at least 80 x 24 (it is 60 x 20).")) << tmux.Screen();
  EXPECT_EQ(tmux.Screen().find("Receive String Record:"), std::string::npos);

  tmux.Resize(80, 24);
  ASSERT_TRUE(tmux.WaitForText("Receive String Record:"));
  tmux.Keys({"Escape"});
  ExpectEndedAndRestored(tmux, "ended 0");
}

TEST_F(CTextViewTest, SignalsAndADroppedConnectionEndItAndRestoreTheTerminal) {
  // SIGHUP (the connection dropped), SIGTERM, SIGINT and a crash.
  for (int nSignal : {SIGHUP, SIGTERM, SIGINT, SIGSEGV}) {
    SCOPED_TRACE(strsignal(nSignal));
    CTmuxSession tmux(Command(""), 80, 24);
    ASSERT_TRUE(tmux.WaitForText("Receive String Record:"));
    pid_t nPid = tmux.ProgramPid();
    ASSERT_GT(nPid, 0);
    kill(nPid, nSignal);
    ExpectEndedAndRestored(tmux, "ended " + std::to_string(128 + nSignal));
  }
  // The terminal itself goes away: the program ends within a second.
  CTmuxSession tmux("exec env TERM=tmux-256color " + std::string(QUORVEL_PATH) + " --text", 80, 24);
  ASSERT_TRUE(tmux.WaitForText("Receive String Record:"));
  pid_t nPid = tmux.Format("#{pane_pid}").empty() ? -1 : std::stoi(tmux.Format("#{pane_pid}"));
  ASSERT_GT(nPid, 0);
  tmux.KillPane();
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  auto running = [&] {
    std::string strStat = ReadFile("/proc/" + std::to_string(nPid) + "/stat");
    return !strStat.empty() && strStat.find(") Z") == std::string::npos;
  };
  while (running() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_FALSE(running());
}

}  // namespace

// The record's forms from its menu, by mnemonic and by mouse: hex rows with
// a reply after a pause on a row of its own, times in a margin, and back.
TEST_F(CTextViewTest, TheRecordMenuShowsTheBytesInHexAndTheirTimes) {
  CPseudoTerminal pty;
  CTmuxSession tmux(Command("QUORVEL_COM1=" + pty.Slave()), 180, 24);
  ASSERT_TRUE(tmux.WaitForText("Receive String Record:"));
  tmux.Keys({"Tab", "Tab", "Tab", "Tab", "Tab", "Enter"});
  ASSERT_TRUE(
      pty.Write(std::string("\x01\x03\x00\x0A\xC5"
                            "ab\r\n",
                            9)));
  ASSERT_TRUE(tmux.WaitForText("ab")) << tmux.Screen();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ASSERT_TRUE(pty.Write("OK\r\n"));
  ASSERT_TRUE(tmux.WaitForText("OK")) << tmux.Screen();
  auto rows = tmux.Rows();
  int nLabel = RowOf(rows, "Receive String Record:");
  int nLeft = ColumnOf(rows[nLabel], "Receive String Record:");

  tmux.Click(nLeft + 2, nLabel + 3, 2);
  ASSERT_TRUE(tmux.WaitForText("Show Times")) << tmux.Screen();
  rows = tmux.Rows();
  int nText = RowOf(rows, "Show Text");
  ASSERT_GT(nText, 0);
  EXPECT_NE(rows[nText].find("\u2022 Show Text"), std::string::npos) << tmux.Screen();
  EXPECT_NE(rows[nText - 1].find("\u251C\u2500"), std::string::npos) << tmux.Screen();
  EXPECT_NE(rows[nText + 1].find("  Show Hex"), std::string::npos) << tmux.Screen();
  tmux.Type("h");
  ASSERT_TRUE(tmux.WaitForText("01 03 00 0A C5 61 62 0D 0A")) << tmux.Screen();
  EXPECT_TRUE(tmux.WaitForText("4F 4B 0D 0A")) << tmux.Screen();
  rows = tmux.Rows();
  EXPECT_EQ(RowOf(rows, "4F 4B 0D 0A"), RowOf(rows, "01 03 00 0A C5") + 1) << tmux.Screen();

  // Times, clicked: the margin leads each row with hh:mm:ss.mmm.
  tmux.Keys({"S-F10"});
  ASSERT_TRUE(tmux.WaitForText("Show Times")) << tmux.Screen();
  rows = tmux.Rows();
  EXPECT_NE(rows[RowOf(rows, "Show Hex")].find("\u2022 Show Hex"), std::string::npos) << tmux.Screen();
  int nTimes = RowOf(rows, "Show Times");
  tmux.Click(ColumnOf(rows[nTimes], "Show Times"), nTimes);
  ASSERT_TRUE(tmux.WaitFor([](const std::string& s) { return s.find("Show Times") == std::string::npos; }))
      << tmux.Screen();
  rows = tmux.Rows();
  int nRow = RowOf(rows, "01 03 00 0A");
  ASSERT_GT(nRow, 0) << tmux.Screen();
  int nDigits = ColumnOf(rows[nRow], "01 03 00 0A");
  std::string strTime = CellsOf(rows[nRow], nDigits - 13, nDigits - 1);
  EXPECT_EQ(strTime.size(), 12u);
  EXPECT_EQ(strTime[2], ':') << tmux.Screen();
  EXPECT_EQ(strTime[8], '.') << tmux.Screen();

  // Back to text, the times stay.
  tmux.Keys({"S-F10"});
  ASSERT_TRUE(tmux.WaitForText("Show Times")) << tmux.Screen();
  EXPECT_NE(tmux.Screen().find("\u2713 Show Times"), std::string::npos) << tmux.Screen();
  tmux.Type("x");
  ASSERT_TRUE(tmux.WaitForText(" OK")) << tmux.Screen();
  EXPECT_EQ(tmux.Screen().find("4F 4B"), std::string::npos) << tmux.Screen();
}
