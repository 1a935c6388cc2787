// What every window of the text view does for its window: it draws what the
// window system says the window shows, in the cells the layout gave it, and
// hands a person's keys and clicks on through the window system's input.
#pragma once

#include <optional>
#include <utility>

#include "CellHost.h"
#include "CellLayout.h"
#include "Screen.h"
#include "WinTypes.h"

namespace tui {

class CCellWindow {
 public:
  CCellWindow(CCellHost& host, HWND hWnd) : m_rView(host), m_hWnd(hWnd) {}
  virtual ~CCellWindow() = default;
  CCellWindow(const CCellWindow&) = delete;
  CCellWindow& operator=(const CCellWindow&) = delete;

  const SCellRect& Rect() const { return m_rect; }
  virtual void SetRect(const SCellRect& rect) {
    m_rect = rect;
    Invalidate();
  }

  virtual void Draw(CScreen& screen) = 0;
  // Where the terminal's cursor stands while the window has the focus.
  virtual std::optional<std::pair<int, int>> Caret() const { return std::nullopt; }
  // A part drawn over the other windows (a dropped-down list), if shown.
  virtual std::optional<SCellRect> Popup() const { return std::nullopt; }
  virtual void DrawPopup(CScreen&) {}

  // True when the window used the key or the mouse report.
  virtual bool Key(const SInput&) { return false; }
  virtual bool Mouse(const SInput&) { return false; }
  // The focus is leaving the window.
  virtual void Leave() {}

  virtual void ShowText(size_t /*nAppendedFrom*/) { Invalidate(); }
  virtual void ShowItems() { Invalidate(); }
  virtual void ShowSelection() { Invalidate(); }
  virtual void ShowForm() {}

  void Invalidate() { m_bDirty = true; }
  bool IsDirty() const { return m_bDirty; }
  void Drawn() { m_bDirty = false; }

 protected:
  bool HasFocus() const;
  // The window or its dialog is disabled, as the dialog is while its box is up.
  bool IsGreyed() const;

  CCellHost& m_rView;
  HWND m_hWnd;
  SCellRect m_rect;
  bool m_bDirty = true;
};

}  // namespace tui
