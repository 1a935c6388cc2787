// The root of the classes that handle messages through a message map.
#pragma once

#include "MessageMap.h"

class CCmdTarget {
 public:
  virtual ~CCmdTarget() = default;

 protected:
  static const AFX_MSGMAP* GetThisMessageMap();
  virtual const AFX_MSGMAP* GetMessageMap() const;

  // Finds the handler for a message, searching the class's table and then
  // its bases'. nCode and nID matter only for WM_COMMAND.
  const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT nMessage, UINT nCode, UINT nID) const;
};
