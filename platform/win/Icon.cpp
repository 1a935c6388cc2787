#include "Resource.h"

HICON LoadIcon(int id) { return win::FindIconResource(id); }
