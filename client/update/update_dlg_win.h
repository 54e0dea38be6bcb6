#pragma once
// The update window: the installer's download with a percentage and a
// progress bar, then the installer's launch. Every way out of it ends the
// program.

#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "client/update/installer_download_win.h"

#include "common/window/dialog_win.h"

namespace tarvo {

// The download thread's result, taken by the update window when the thread
// posts the end of the download.
struct DownloadResult {
  std::mutex mutex;
  HeldInstaller installer;
};

class update : public Dialog {
 public:
  explicit update(HINSTANCE instance);
  ~update() override;

  // The installer's path on the server (second field of the version reply).
  std::wstring DownloadPath;
  // Its SHA-256 as the version reply names it (third field); may be empty.
  std::wstring m_strSha256;
  // The publisher's signature of it (fourth field); may be empty, and then
  // nothing is launched.
  std::wstring m_strSignature;
  // Set by start-up: this window is the application's main window.
  bool m_bAppMainWindow = false;

 protected:
  BOOL OnInitDialog() override;
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

 private:
  void ShowProgress(int percent);
  void Finish(bool launch);

  std::shared_ptr<DownloadResult> m_pResult = std::make_shared<DownloadResult>();
  // Held open until the window goes, the launch included.
  HeldInstaller m_installer;
  std::jthread m_pDownloadThread;
};

}  // namespace tarvo
