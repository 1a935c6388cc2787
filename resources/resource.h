// Resource and control ids.
#pragma once

constexpr int IDD_QUORVEL_DIALOG = 102;
constexpr int IDR_MAINFRAME = 128;
constexpr int IDC_STATIC = -1;

constexpr int IDC_COMBO_PORT = 1000;
constexpr int IDC_COMBO_BAUD = 1001;
constexpr int IDC_COMBO_PARITY = 1002;
constexpr int IDC_COMBO_DATABITS = 1003;
constexpr int IDC_COMBO_STOPBITS = 1004;
constexpr int IDC_BUTTON_OPEN = 1010;
constexpr int IDC_BUTTON_CLOSE = 1011;
constexpr int IDC_EDIT_STATUS = 1012;
constexpr int IDC_EDIT_SEND = 1013;
constexpr int IDC_BUTTON_SEND = 1014;
constexpr int IDC_COMBO_SLOT = 1015;
constexpr int IDC_EDIT_RECEIVE_RECORD = 1016;
constexpr int IDC_EDIT_SEND_RECORD = 1017;
constexpr int IDC_BUTTON_CLEAR_RECEIVE = 1018;
constexpr int IDC_BUTTON_CLEAR_SEND = 1019;
constexpr int IDC_COMBO_TERMINATOR = 1020;
constexpr int IDC_EDIT_INTERVAL = 1021;
constexpr int IDC_BUTTON_SET = 1022;
constexpr int IDC_BUTTON_START_AUTO = 1023;
constexpr int IDC_BUTTON_STOP_AUTO = 1024;
constexpr int IDC_COMBO_TAIL = 1025;
constexpr int IDC_BUTTON_SCAN = 1026;
constexpr int IDC_BUTTON_NAME_QUERY = 1027;

// Menu commands.
constexpr int ID_SEND_AS_HEX = 32771;
