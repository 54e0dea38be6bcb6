#pragma once
// A web pane of a window: the template's pane control, bound by id, which
// gives a browser host (WebBrowser) its parent window, place and size. The
// pane itself is never navigated.
//
//   m_browserNotice.Attach(hwnd(), IDC_SESSION_NOTICE);
//   m_browserNotice.Place(367, 17, 301, 346);
//   auto* host = new WebBrowser(m_browserNotice.hwnd());

#include <windows.h>

namespace tarvo {

class CExplorer1 {
 public:
  // Binds to control `id` of `dialog`. The pane clips its children so that
  // its own background never paints over the browser inside it.
  void Attach(HWND dialog, int id);

  // Moves and sizes the pane (dialog client pixels) and repaints it.
  void Place(int x, int y, int width, int height);

  HWND hwnd() const { return hwnd_; }
  RECT ClientRect() const;

 private:
  HWND hwnd_ = nullptr;
};

}  // namespace tarvo
