// Dialog template 102, the terminal, with the contents of its lists.
#include "ModuleResources.h"
#include "Resource.h"
#include "resource.h"

namespace {

using win::DialogItemTemplate;

// One maker a kind of control, as a resource script names them: the kind's
// class and style, then the item's id, text and rectangle.
DialogItemTemplate ComboBox(int id, short x, short y, short cx, short cy) {
  return {WindowClass::ComboBox, WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN, id, nullptr, x, y, cx, cy};
}
DialogItemTemplate LText(const char16_t* text, short x, short y, short cx, short cy) {
  return {WindowClass::Static, WS_VISIBLE | WS_GROUP | SS_LEFT, IDC_STATIC, text, x, y, cx, cy};
}
DialogItemTemplate EditText(int id, short x, short y, short cx, short cy) {
  return {WindowClass::Edit, WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_LEFT | ES_AUTOHSCROLL, id, nullptr, x, y, cx, cy};
}
DialogItemTemplate MultiLineEdit(int id, short x, short y, short cx, short cy) {
  constexpr DWORD style = WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_LEFT | ES_MULTILINE | WS_VSCROLL;
  return {WindowClass::Edit, style, id, nullptr, x, y, cx, cy};
}
DialogItemTemplate PushButton(int id, const char16_t* caption, short x, short y, short cx, short cy) {
  return {WindowClass::Button, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, id, caption, x, y, cx, cy};
}
DialogItemTemplate GroupBox(const char16_t* caption, short x, short y, short cx, short cy) {
  return {WindowClass::Button, WS_VISIBLE | BS_GROUPBOX, IDC_STATIC, caption, x, y, cx, cy};
}
// The item, created hidden.
DialogItemTemplate Hidden(DialogItemTemplate item) {
  item.style &= ~WS_VISIBLE;
  return item;
}

const win::DialogTemplate kDialog102{WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
                                     WS_EX_APPWINDOW | WS_EX_CAPTIONOKBTN,
                                     0,
                                     0,
                                     282,
                                     276,
                                     u"Quorvel V 1.2 Serial ",
                                     u"System",
                                     8,
                                     {
                                         ComboBox(IDC_COMBO_PORT, 18, 23, 50, 101),
                                         ComboBox(IDC_COMBO_BAUD, 70, 23, 50, 101),
                                         LText(u"Parity:", 18, 36, 26, 11),
                                         ComboBox(IDC_COMBO_PARITY, 18, 47, 51, 101),
                                         ComboBox(IDC_COMBO_DATABITS, 70, 47, 23, 101),
                                         ComboBox(IDC_COMBO_STOPBITS, 94, 47, 50, 50),
                                         PushButton(IDC_BUTTON_OPEN, u"Open Com", 18, 62, 63, 13),
                                         PushButton(IDC_BUTTON_CLOSE, u"Close Com", 82, 62, 61, 13),
                                         EditText(IDC_EDIT_STATUS, 6, 252, 268, 17),
                                         EditText(IDC_EDIT_SEND, 163, 73, 103, 16),
                                         PushButton(IDC_BUTTON_SEND, u"Send", 164, 92, 102, 13),
                                         LText(u"iKestra Slot On:", 165, 10, 44, 11),
                                         ComboBox(IDC_COMBO_SLOT, 163, 22, 62, 101),
                                         MultiLineEdit(IDC_EDIT_RECEIVE_RECORD, 152, 136, 116, 97),
                                         MultiLineEdit(IDC_EDIT_SEND_RECORD, 14, 136, 129, 96),
                                         PushButton(IDC_BUTTON_CLEAR_RECEIVE, u"Clear Receive", 152, 236, 115, 13),
                                         PushButton(IDC_BUTTON_CLEAR_SEND, u"Clear Send", 15, 236, 127, 13),
                                         ComboBox(IDC_COMBO_TERMINATOR, 163, 49, 97, 87),
                                         LText(u"Send String With:", 165, 38, 67, 11),
                                         LText(u"Data Bit:", 62, 36, 37, 11),
                                         LText(u"Stop Bit:", 100, 37, 37, 11),
                                         LText(u"COM Port:", 20, 10, 47, 11),
                                         LText(u"Baudrate:", 71, 10, 47, 11),
                                         LText(u"Send String:", 164, 64, 67, 11),
                                         LText(u"Send String Record:", 17, 125, 66, 11),
                                         LText(u"Receive String Record:", 151, 124, 93, 11),
                                         LText(u"Interval:", 24, 89, 30, 11),
                                         EditText(IDC_EDIT_INTERVAL, 54, 87, 49, 14),
                                         PushButton(IDC_BUTTON_SET, u"Set", 105, 87, 37, 13),
                                         PushButton(IDC_BUTTON_START_AUTO, u"Start Auto", 22, 105, 59, 13),
                                         PushButton(IDC_BUTTON_STOP_AUTO, u"Stop Auto", 87, 105, 56, 13),
                                         GroupBox(u"Auto Send", 16, 78, 130, 45),
                                         ComboBox(IDC_COMBO_TAIL, 232, 111, 35, 87),
                                         LText(u"Delet Recive String tail:", 154, 112, 78, 11),
                                         Hidden(PushButton(IDC_BUTTON_SCAN, u"ScanKes", 238, 28, 36, 14)),
                                         Hidden(PushButton(IDC_BUTTON_NAME_QUERY, u"Button1", 113, 15, 50, 11)),
                                     }};

win::DialogInit MakeInit() {
  win::DialogInit init;
  auto add = [&](int id, std::initializer_list<const char16_t*> items) {
    for (const char16_t* item : items) init.push_back({id, CB_ADDSTRING, item});
  };
  add(IDC_COMBO_PORT, {u"COM1", u"COM2", u"COM3", u"COM4", u"COM5", u"COM6", u"COM7", u"COM8", u"COM9", u"COM10"});
  add(IDC_COMBO_BAUD,
      {u"2400", u"4800", u"9600", u"19200", u"38400", u"57600", u"115200", u"230400", u"460800", u"921600"});
  add(IDC_COMBO_PARITY, {u"Non Parity", u"Odd Parity", u"Even Parity", u"Space Parity"});
  add(IDC_COMBO_DATABITS, {u"5", u"6", u"7", u"8"});
  add(IDC_COMBO_STOPBITS, {u"1    Stop Bit", u"1.5 Stop Bit", u"2    Stop Bit"});
  add(IDC_COMBO_SLOT, {u"SLOT 1", u"SLOT 2", u"SLOT 3", u"SLOT 4", u"SLOT 5", u"SLOT 6", u"SLOT 7", u""});
  add(IDC_COMBO_TERMINATOR, {u"Non", u"CR", u"LF", u"LF_CR", u"CR_LF"});
  add(IDC_COMBO_TAIL, {u"Non", u"1", u"2"});
  return init;
}

}  // namespace

namespace resources::detail {

void RegisterDialog102() {
  static const win::DialogInit init = MakeInit();
  win::RegisterDialogResource(IDD_QUORVEL_DIALOG, kDialog102, init);
}

}  // namespace resources::detail
