#include "FontMetrics.h"

#include <QFontMetrics>
#include <QFontMetricsF>
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

QFont FittingFont(const QFont& font, const QString& text, double fWidth) {
  const double fPoints = font.pointSizeF();
  if (text.contains(u'\n') || fPoints <= 1) return font;
  for (double f = fPoints; f >= fPoints - 1; f -= 0.25) {
    QFont smaller = font;
    smaller.setPointSizeF(f);
    if (QFontMetricsF(smaller).horizontalAdvance(text) <= fWidth) return smaller;
  }
  return font;
}

}  // namespace qtview
