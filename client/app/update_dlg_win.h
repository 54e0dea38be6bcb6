#pragma once
// The update window: the installer's download with a percentage and a
// progress bar, then the installer's launch. Every way out of it ends the
// program.

#include <string>
#include <thread>

#include "common/window/dialog_win.h"

namespace tarvo {

class update : public Dialog {
 public:
  explicit update(HINSTANCE instance);
  ~update() override;

  // The installer's path on the server (second field of the version reply).
  std::wstring DownloadPath;
  // Its SHA-256 as the version reply names it (third field); may be empty.
  std::wstring m_strSha256;
  // Set by start-up: this window is the application's main window.
  bool m_bAppMainWindow = false;

 protected:
  BOOL OnInitDialog() override;
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

 private:
  void ShowProgress(int percent);
  void Finish(bool launch);

  std::wstring m_strTempFolder;
  std::jthread m_pDownloadThread;
};

}  // namespace tarvo
