#pragma once
// The session window: the account after sign-in, the connection buttons and
// the two web panes.

#include <atomic>
#include <string>

#include "client/controls/skin_button_win.h"
#include "common/window/bitmap_background_win.h"
#include "common/window/dialog_win.h"

namespace tarvo {

class main : public Dialog {
 public:
  explicit main(HINSTANCE instance);
  ~main() override;

  // Set by the creator before the window exists.
  std::wstring m_strUserId;
  std::wstring m_strPassword;
  bool m_bAppMainWindow = false;

  // Written while the window opens.
  std::wstring m_strRandCode;
  std::wstring m_strDaysLeft;
  std::wstring m_strAppFolder;

  std::wstring m_strVpnServer;
  std::wstring m_strVpnUser;
  std::wstring m_strVpnPassword;

  // Shared with the session's worker threads.
  std::atomic<int> m_bConnected{0};
  std::atomic<int> m_bServiceUnused{1};

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
  bool PreTranslateMessage(MSG& msg) override;
  void OnCancel() override;

 private:
  void SignInConfirm();
  void SkinServiceButton(bool inService);
  void LayOutButtons();
  void LayOutLabels();
  void PlaceWebPanes();
  void ExpandButton();
  void CollapseButton();
  void ServiceButton();
  void ApplyShape();

  HICON m_hIcon;
  HFONT m_fontLabels = nullptr;
  BitmapBackground m_back;
  RoundedShape m_shape;
  bool m_bModeless = false;

  CSkinButton m_btnMinimize;
  CSkinButton m_btnExit;
  CSkinButton m_btnSettings;
  CSkinButton m_btnLogout;
  CSkinButton m_btnService;
  CSkinButton m_btnConnect;
  CSkinButton m_btnDisconnect;
  CSkinButton m_btnExpand;
  CSkinButton m_btnCollapse;

  HWND m_stcFixedIp = nullptr;
  HWND m_stcUserId = nullptr;
  HWND m_stcStatus = nullptr;
  HWND m_stcDays = nullptr;
};

// Changes a label in two steps, a run of spaces and then the text, and
// repaints the parent's background under it (the labels are transparent).
void SetLabelText(HWND label, const std::wstring& text, int spaces = 27);

}  // namespace tarvo
