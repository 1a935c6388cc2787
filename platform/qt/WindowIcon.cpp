#include "WindowIcon.h"

#include <QPixmap>
#include <cstdlib>

#include "Resource.h"

namespace qtview {

namespace {

const win::IconImage* Nearest(HICON hIcon, int nSize) {
  const win::IconImage* pBest = nullptr;
  for (const auto& image : hIcon->images)
    if (!pBest || std::abs(image.width - nSize) < std::abs(pBest->width - nSize)) pBest = &image;
  return pBest;
}

void AddImage(QIcon& icon, HICON hIcon, int nSize) {
  if (!hIcon) return;
  if (const win::IconImage* pImage = Nearest(hIcon, nSize)) icon.addPixmap(QPixmap(pImage->xpm));
}

}  // namespace

QIcon WindowIcon(HICON hBig, HICON hSmall) {
  QIcon icon;
  AddImage(icon, hBig, 32);
  AddImage(icon, hSmall, 16);
  return icon;
}

}  // namespace qtview
