// The framework, as the application includes it.
#pragma once

#include "CComboBox.h"
#include "CDialog.h"
#include "CEdit.h"
#include "CString.h"
#include "CWinApp.h"
#include "CWnd.h"
#include "DataExchange.h"
#include "MessageMap.h"
#include "WinTypes.h"
