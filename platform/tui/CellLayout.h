// Dialog units mapped to character cells. Each axis is mapped on its own by
// one monotone function, so boxes keep their order and relative places; a
// box gets at least the cells its content needs, and boxes that overlap in
// dialog units are first cut apart along the axis where they overlap least,
// so no two boxes share a cell.
#pragma once

#include <optional>
#include <vector>

#include "WinTypes.h"

namespace tui {

struct SCellRect {
  int x = 0, y = 0, cx = 0, cy = 0;
  bool Contains(int nX, int nY) const { return nX >= x && nX < x + cx && nY >= y && nY < y + cy; }
  friend bool operator==(const SCellRect&, const SCellRect&) = default;
};

struct SLayoutBox {
  RECT dlu;    // relative to the frame
  int nMinCx;  // cells the content needs
  int nMinCy;
  bool bGrows;      // takes a share of the cells beyond the frame's own size
  int nGroup;       // boxes of one group (the edges of a frame) may overlap; 0 for none
  int nWantCy = 0;  // rows it would rather have, taken from the growing boxes as far as they can give them
};

// Lays the boxes out in a frame of frameDlu dialog units (cx, cy) on at most
// cells (cx, cy). The scale is at most a cell per four dialog units across
// and per eight down, a character's size in dialog units. With pFill the
// frame ends at its last box and takes all of pFill's cells, the growing
// boxes sharing what the scale for cells leaves over; the other boxes keep
// their size, but for those that span a growing one. Nothing when the boxes
// do not fit.
std::optional<std::vector<SCellRect>> LayoutBoxes(std::vector<SLayoutBox> boxes, SIZE frameDlu, SIZE cells,
                                                  const SIZE* pFill, SIZE* pUsed);

}  // namespace tui
