#include "RangeMimeData.h"

#include "QtText.h"

namespace qtview {

namespace {
const QString kPlainText = QStringLiteral("text/plain");
}  // namespace

QStringList CRangeMimeData::formats() const { return {kPlainText}; }

bool CRangeMimeData::hasFormat(const QString& strFormat) const { return strFormat == kPlainText; }

QVariant CRangeMimeData::retrieveData(const QString& strFormat, QMetaType) const {
  return strFormat == kPlainText ? QVariant(ToQString(m_text)) : QVariant();
}

}  // namespace qtview
