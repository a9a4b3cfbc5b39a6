#pragma once
// The host's main window: the frame that holds the module's view and keeps
// it filling the client area.
#include "platform/CWnd.h"
#include "platform/MessageMap.h"

class HostFrame : public CWnd {
  public:
    // The first child window (the module's view), null when there is none.
    HWND ViewWindow() const;

  protected:
    void OnSize(UINT type, int cx, int cy);
    DECLARE_MESSAGE_MAP()
};
