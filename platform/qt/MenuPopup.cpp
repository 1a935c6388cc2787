#include "MenuPopup.h"

#include <QActionGroup>
#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

#include "KeyInput.h"
#include "Menu.h"
#include "QtText.h"
#include "QtView.h"
#include "UserInput.h"

namespace qtview {

CMenuPopup::CMenuPopup(CQtView& view, HMENU hMenu, HWND hOwner, QWidget* pParent)
    : QMenu(pParent), m_rView(view), m_hMenu(hMenu), m_hOwner(hOwner) {
  Build();
  connect(this, &QMenu::hovered, this, [this](QAction* pAction) {
    Input([&] { win::input::MenuHover(static_cast<int>(actions().indexOf(pAction))); });
  });
  connect(this, &QMenu::triggered, this, [this](QAction* pAction) {
    Input([&] { win::input::MenuClick(static_cast<int>(actions().indexOf(pAction))); });
  });
  // Qt closes the menu itself on a click outside it, and before it triggers
  // a picked action: a menu still open afterwards was clicked away from. A
  // popup shown since is a later menu, which may have the same handle.
  connect(this, &QMenu::aboutToHide, this, [this] {
    QTimer::singleShot(0, &m_rView, [&view = m_rView, hMenu = m_hMenu, hOwner = m_hOwner] {
      auto track = win::GetTrackedMenu();
      if (track && track->hMenu == hMenu && !win::IsMenuDone(hMenu) && !QApplication::activePopupWidget())
        view.Input(hOwner, [] { win::input::MenuClick(-1); });
    });
  });
}

template <typename F>
void CMenuPopup::Input(F&& action) {
  m_rView.Input(m_hOwner, std::forward<F>(action));
}

void CMenuPopup::Build() {
  CQtView::CApplying applying(m_rView);
  int nCount = GetMenuItemCount(m_hMenu);
  // Items change in place; a menu that gained or lost some is built again.
  if (actions().size() != nCount) {
    clear();
    for (int i = 0; i < nCount; ++i) {
      if (GetMenuState(m_hMenu, i, MF_BYPOSITION) & MF_SEPARATOR)
        addSeparator();
      else
        addAction(QString());
    }
  }
  // Qt draws a radio check for an item of an exclusive group: one group for
  // each run of radio items.
  qDeleteAll(findChildren<QActionGroup*>(Qt::FindDirectChildrenOnly));
  QActionGroup* pRadio = nullptr;
  for (int i = 0; i < nCount; ++i) {
    QAction* pAction = actions()[i];
    UINT state = GetMenuState(m_hMenu, i, MF_BYPOSITION);
    pAction->setSeparator(state & MF_SEPARATOR);
    if (!(state & MFT_RADIOCHECK)) pRadio = nullptr;
    if (state & MF_SEPARATOR) continue;
    pAction->setText(ToQString(GetMenuString(m_hMenu, i, MF_BYPOSITION)));
    pAction->setEnabled(!(state & (MF_GRAYED | MF_DISABLED)));
    pAction->setCheckable(state & MF_CHECKED);
    pAction->setChecked(state & MF_CHECKED);
    if (state & MFT_RADIOCHECK) {
      if (!pRadio) pRadio = new QActionGroup(this);
      pAction->setActionGroup(pRadio);
    }
  }
}

void CMenuPopup::ShowState() {
  Build();
  auto track = win::GetTrackedMenu();
  int nHighlight = track && track->hMenu == m_hMenu ? track->nHighlight : -1;
  QAction* pActive = nHighlight >= 0 && nHighlight < actions().size() ? actions()[nHighlight] : nullptr;
  if (pActive == activeAction()) return;
  CQtView::CApplying applying(m_rView);
  setActiveAction(pActive);
}

void CMenuPopup::keyPressEvent(QKeyEvent* pEvent) {
  // A letter is a mnemonic; any other key goes as it is.
  std::u32string typed = TypedOf(*pEvent);
  if (!typed.empty()) {
    Input([&] { win::input::MenuChar(typed.front()); });
  } else if (auto key = KeyOf(*pEvent)) {
    Input([&] { win::input::MenuKey(key->vk); });
  }
}

}  // namespace qtview
