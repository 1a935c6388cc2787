// UTF-16 between the window system and Qt, unit for unit.
#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "TextRange.h"

namespace qtview {

inline QString ToQString(std::u16string_view text) {
  return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

// A shared text's range, read piece by piece into one QString.
inline QString ToQString(const win::CTextRange& text) {
  QString out(static_cast<qsizetype>(text.size()), Qt::Uninitialized);
  auto* pOut = reinterpret_cast<char16_t*>(out.data());
  text.ForEachPiece([&](const win::STextPiece& piece) {
    for (size_t i = 0; i < piece.nCount; ++i) pOut[piece.nPos + i] = win::UnitOf(piece, i);
    return true;
  });
  return out;
}

inline std::u16string ToU16(const QString& text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size()));
}

}  // namespace qtview
