#include "RecordScrollBar.h"

#include <QStyle>
#include <QStyleOptionSlider>

namespace qtview {

CRecordScrollBar::SLook CRecordScrollBar::Look() const {
  QStyleOptionSlider option;
  initStyleOption(&option);
  return {style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this),
          value() == minimum(), value() == maximum()};
}

void CRecordScrollBar::sliderChange(SliderChange change) {
  if (Look() == m_lookShown && change != SliderOrientationChange) return;
  QScrollBar::sliderChange(change);
}

void CRecordScrollBar::paintEvent(QPaintEvent* pEvent) {
  m_lookShown = Look();
  QScrollBar::paintEvent(pEvent);
}

}  // namespace qtview
