#pragma once
// The settings window: the three sign-in preferences as toggles, saved to the
// credentials file and the Run key on OK; the router's page; the tools window.

#include <string>

#include "client/controls/icon_button_win.h"
#include "client/controls/skin_button_win.h"
#include "common/window/skinned_dialog_win.h"

namespace tarvo {

class config : public SkinnedDialog {
 public:
  explicit config(HINSTANCE instance);

  // Copied from the session window before the window runs.
  std::wstring m_strUserId;
  std::wstring m_strPassword;

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  bool OnWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

 private:
  void LayOutControls();
  void ShowSavedPreferences();
  void CentreOverOwner();
  void RouterPage();
  void ToolsWindow();
  void SaveSettings();

  CSkinButton m_btnClose;
  CSkinButton m_btnRouter;
  CSkinButton m_btnWinControl;
  CSkinButton m_btnCancel;
  CSkinButton m_btnOk;
  CIconButton SaveIdCheck;
  CIconButton AutoLoginCheck;
  CIconButton RunAtStartupCheck;
};

}  // namespace tarvo
