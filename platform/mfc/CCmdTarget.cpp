#include "CCmdTarget.h"

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
  static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, AfxSig_end, nullptr, nullptr}};
  static const AFX_MSGMAP messageMap = {nullptr, &entries[0]};
  return &messageMap;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT nMessage, UINT nCode, UINT nID) const {
  for (const AFX_MSGMAP* pMap = GetMessageMap(); pMap; pMap = pMap->pfnGetBaseMap ? pMap->pfnGetBaseMap() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* p = pMap->lpEntries; p->nSig != AfxSig_end; ++p) {
      if (p->nMessage != nMessage) continue;
      if (nMessage == WM_COMMAND && (p->nCode != nCode || nID < p->nID || nID > p->nLastID)) continue;
      return p;
    }
  }
  return nullptr;
}
