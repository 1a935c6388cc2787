// The framework's wrapper of an edit box.
#pragma once

#include "CWnd.h"

class CEdit : public CWnd {};
