// Message maps: a static table per class, keyed by message, notification
// code and control id. Dispatch looks in the class's own table, then in its
// base class's, and falls back to the default handling.
#pragma once

#include "WinTypes.h"

class CCmdTarget;
class CWnd;
using AFX_PMSG = void (CCmdTarget::*)();
using AFX_PMSGW = void (CCmdTarget::*)(UINT_PTR);
using AFX_PMSGMENU = void (CCmdTarget::*)(HMENU, CWnd*);

// The signature a table entry's handler has.
enum AfxSig {
  AfxSig_end = 0,
  AfxSig_vv,  // void ()
  AfxSig_vw,  // void (UINT_PTR)
  AfxSig_vM,  // void (HMENU, CWnd*)
};

struct AFX_MSGMAP_ENTRY {
  UINT nMessage;
  UINT nCode;
  UINT nID;
  UINT nLastID;
  AfxSig nSig;
  AFX_PMSG pfn;                    // AfxSig_vv
  AFX_PMSGW pfnW;                  // AfxSig_vw
  AFX_PMSGMENU pfnMenu = nullptr;  // AfxSig_vM
};

struct AFX_MSGMAP {
  const AFX_MSGMAP* (*pfnGetBaseMap)();
  const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                   \
 protected:                                     \
  static const AFX_MSGMAP* GetThisMessageMap(); \
  const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                      \
  const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
  const AFX_MSGMAP* theClass::GetThisMessageMap() {                                 \
    using ThisClass = theClass;                                                     \
    using TheBaseClass = baseClass;                                                 \
    static const AFX_MSGMAP_ENTRY entries[] = {
#define END_MESSAGE_MAP()                                                               \
  { 0, 0, 0, 0, AfxSig_end, nullptr, nullptr, nullptr }                                 \
  }                                                                                     \
  ;                                                                                     \
  static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &entries[0]}; \
  return &messageMap;                                                                   \
  }

#define AFX_VV(memberFxn) static_cast<AFX_PMSG>(static_cast<void (ThisClass::*)()>(&ThisClass::memberFxn))

#define ON_COMMAND(id, memberFxn) \
  {WM_COMMAND, 0, static_cast<UINT>(id), static_cast<UINT>(id), AfxSig_vv, AFX_VV(memberFxn), nullptr},
#define ON_BN_CLICKED(id, memberFxn) \
  {WM_COMMAND, BN_CLICKED, static_cast<UINT>(id), static_cast<UINT>(id), AfxSig_vv, AFX_VV(memberFxn), nullptr},
#define ON_CBN_SELCHANGE(id, memberFxn) \
  {WM_COMMAND, CBN_SELCHANGE, static_cast<UINT>(id), static_cast<UINT>(id), AfxSig_vv, AFX_VV(memberFxn), nullptr},
#define ON_WM_CLOSE() {WM_CLOSE, 0, 0, 0, AfxSig_vv, AFX_VV(OnClose), nullptr},
#define ON_WM_TIMER() \
  {WM_TIMER,          \
   0,                 \
   0,                 \
   0,                 \
   AfxSig_vw,         \
   nullptr,           \
   static_cast<AFX_PMSGW>(static_cast<void (ThisClass::*)(UINT_PTR)>(&ThisClass::OnTimer))},
// A menu about to open for the window or one of its controls (WM_INITMENUPOPUP):
// OnInitMenuPopup(HMENU hMenu, CWnd* pOwner), pOwner the control whose menu it is.
#define ON_WM_INITMENUPOPUP() \
  {WM_INITMENUPOPUP,          \
   0,                         \
   0,                         \
   0,                         \
   AfxSig_vM,                 \
   nullptr,                   \
   nullptr,                   \
   static_cast<AFX_PMSGMENU>(static_cast<void (ThisClass::*)(HMENU, CWnd*)>(&ThisClass::OnInitMenuPopup))},
