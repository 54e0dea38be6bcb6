#pragma once
// The session window: the account after sign-in, the connection buttons and
// the two web panes.

#include <memory>
#include <string>
#include <vector>

#include "client/browser/explorer_pane_win.h"
#include "client/controls/skin_button_win.h"
#include "client/session/connection_controller.h"
#include "client/session/session_view_win.h"
#include "client/system/address_changes_win.h"
#include "common/window/skinned_dialog_win.h"

namespace tarvo {

class main : public SkinnedDialog {
 public:
  explicit main(HINSTANCE instance);
  ~main() override;

  // Set by the creator before the window exists.
  std::wstring m_strUserId;
  std::wstring m_strPassword;
  bool m_bAppMainWindow = false;

  // The session code, the account's days, the VPN fields and the flags the
  // workers share live in the connection controller, made when the window opens.
  std::shared_ptr<ConnectionController> m_session;
  // The workers' changes to the window, run on its thread.
  std::shared_ptr<SessionUpdateQueue> m_updates = std::make_shared<SessionUpdateQueue>();

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  bool OnWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
  void OnCancel() override;

 private:
  void SignInConfirm();
  void SkinServiceButton(bool inService);
  void LayOutButtons();
  void LayOutLabels();
  void PlaceWebPanes();
  void CloseWebPanes();
  void ExpandButton();
  void CollapseButton();
  void ServiceButton();
  void SettingsButton();
  void DisconnectButton();
  void LogoutButton();
  void ExitButton();
  void DisableSessionButtons();
  void EndOfWindowsSession();

  HICON m_hIcon;
  HFONT m_fontLabels = nullptr;
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

  CExplorer1 m_browserBanner;
  CExplorer1 m_browserNotice;
  std::vector<class WebBrowser*> m_browserHosts;  // closed on WM_DESTROY

  HWND m_stcFixedIp = nullptr;
  HWND m_stcUserId = nullptr;
  HWND m_stcStatus = nullptr;
  HWND m_stcDays = nullptr;

  // The machine's address changes, while the window exists.
  AddressChangeWatch m_addressChanges;

  // Login windows opened by logout; they live as long as this window.
  std::vector<std::unique_ptr<class CtarvoDlg>> m_logins;
};

}  // namespace tarvo
