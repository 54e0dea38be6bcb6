#pragma once
// The watchdog's one window: hidden, zero-sized, without a taskbar button. It
// exists to give the program a message loop; the work is ClientWatchThread.

#include <thread>

#include "common/window/dialog_win.h"

namespace tarvo {

class CTarvoRCDlg : public Dialog {
 public:
  explicit CTarvoRCDlg(HINSTANCE instance);
  ~CTarvoRCDlg() override;

 protected:
  BOOL OnInitDialog() override;
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

 private:
  void PaintMinimised();

  HICON m_hIcon;
  std::jthread m_watchThread;
};

}  // namespace tarvo
