// Resources of the module: dialog templates with their list contents, and
// icon groups. The program registers its own at start, as an executable
// carries them in its resource section; the window system finds them by id.
#pragma once

#include <string_view>
#include <vector>

#include "WinTypes.h"

namespace win {

struct DialogItemTemplate {
  WindowClass cls;
  DWORD style;
  int id;  // -1 for an item without an id
  const char16_t* text;
  short x, y, cx, cy;
  DWORD exStyle = 0;
};

struct DialogTemplate {
  DWORD style;
  DWORD exStyle;
  short x, y, cx, cy;
  const char16_t* caption;
  const char16_t* fontName;
  WORD pointSize;
  std::vector<DialogItemTemplate> items;
};

// Initialisation data loaded with a dialog: the strings added to its lists.
struct DialogInitEntry {
  int id;
  UINT message;  // CB_ADDSTRING
  const char16_t* text;
};
using DialogInit = std::vector<DialogInitEntry>;

struct IconImage {
  int width;
  int height;
  const char* const* xpm;  // XPM image data
};

}  // namespace win

struct IconRec {
  int id;
  std::vector<win::IconImage> images;
};

namespace win {

// Registered resources must outlive their use; registering an id again
// replaces the earlier one.
void RegisterDialogResource(int id, const DialogTemplate& tmpl, const DialogInit& init);
void RegisterIconResource(const IconRec& icon);

// Null for an id that has not been registered.
const DialogTemplate* FindDialogResource(int id);
const DialogInit* FindDialogInitResource(int id);
HICON FindIconResource(int id);

}  // namespace win

HICON LoadIcon(int id);
