// A record box's scroll bar. Its range grows with every append, but with a
// long record the handle rarely moves by a pixel: the bar repaints only when
// what it shows changes, not on every change of its numbers.
#pragma once

#include <QRect>
#include <QScrollBar>

namespace qtview {

class CRecordScrollBar final : public QScrollBar {
 public:
  explicit CRecordScrollBar(QWidget* pParent = nullptr) : QScrollBar(Qt::Vertical, pParent) {}

 protected:
  void sliderChange(SliderChange change) override;
  void paintEvent(QPaintEvent* pEvent) override;

 private:
  // What the bar shows: its handle, and whether it can step up and down.
  struct SLook {
    QRect rHandle;
    bool bAtMinimum = false;
    bool bAtMaximum = false;
    friend bool operator==(const SLook&, const SLook&) = default;
  };
  SLook Look() const;

  // As last painted.
  SLook m_lookShown;
};

}  // namespace qtview
