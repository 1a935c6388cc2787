// Runs the terminal headless on a virtual clock with the fake libraries, for
// the fuzz targets.
#pragma once

#include <functional>

#include "FuzzCheck.h"
#include "VirtualClock.h"
#include "WinTypes.h"

void RunTerminal(const std::function<void(HWND hDlg, win::CVirtualClock& clock)>& script);
