// A window's big and small icons as one Qt icon.
#pragma once

#include <QIcon>

#include "WinTypes.h"

namespace qtview {

// The big icon gives its image nearest 32 pixels, the small one its image
// nearest 16, as the platform picks them from an icon group.
QIcon WindowIcon(HICON hBig, HICON hSmall);

}  // namespace qtview
