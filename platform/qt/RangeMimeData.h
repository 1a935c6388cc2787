// A copied range of a shared text on the desktop's clipboard, made a
// QString only when a reader asks for it: a copy of a large record costs
// nothing until it is pasted.
#pragma once

#include <QMimeData>

#include "TextRange.h"

namespace qtview {

class CRangeMimeData final : public QMimeData {
 public:
  explicit CRangeMimeData(win::CTextRange text) : m_text(std::move(text)) {}
  const win::CTextRange& Text() const { return m_text; }
  QStringList formats() const override;
  bool hasFormat(const QString& strFormat) const override;

 protected:
  QVariant retrieveData(const QString& strFormat, QMetaType type) const override;

 private:
  win::CTextRange m_text;
};

}  // namespace qtview
