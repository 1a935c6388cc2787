// Icon group 128: the application's icon, 32 x 32 and 16 x 16, 16 colours.
#include "ModuleResources.h"
#include "Resource.h"
#include "icons/quorvel16.xpm"
#include "icons/quorvel32.xpm"
#include "resource.h"

namespace resources::detail {

void RegisterIcon128() {
  static const IconRec icon{IDR_MAINFRAME, {{32, 32, quorvel32_xpm}, {16, 16, quorvel16_xpm}}};
  win::RegisterIconResource(icon);
}

}  // namespace resources::detail
