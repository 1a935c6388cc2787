#include "FontMetrics.h"

#include <QFontMetrics>
#include <QGuiApplication>

namespace qtview {

QFont DialogFont(std::u16string_view fontName, int nPointSize) {
  QFont font;
  if (fontName == u"System" || fontName == u"MS Shell Dlg" || fontName == u"MS Sans Serif") {
    font = QGuiApplication::font();
    font.setStyleHint(QFont::SansSerif);
  } else {
    font.setFamily(QString::fromUtf16(fontName.data(), static_cast<qsizetype>(fontName.size())));
  }
  font.setPointSize(nPointSize);
  return font;
}

SIZE BaseUnits(const QFont& font) {
  QFontMetrics metrics(font);
  int nWidth = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return SIZE{(nWidth / 26 + 1) / 2, metrics.height()};
}

}  // namespace qtview
